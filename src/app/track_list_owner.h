// What the bands above the track list (the playlist list and the find box)
// ask of the window that owns the list, and all they know of it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class OneTrack;

class TrackListOwner {
public:
    // The window their timers go to.
    virtual HWND Handle() const = 0;
    // Whether an operation walks the rows: the list must not change then.
    virtual bool IsBusy() const = 0;
    // Asks the operation under way to stop after its current step (Esc).
    virtual void RequestStop() = 0;
    // Shows the tracks of the list chosen (every track read, or the playlist
    // labelled so) that the find box's words match.
    virtual void ShowList(std::vector<const OneTrack*> tracks,
                          std::optional<std::u16string> playlistLabel) = 0;
    // Shows again the rows of the chosen list that the words match.
    virtual void ShowFoundRows() = 0;

protected:
    ~TrackListOwner() = default;
};
