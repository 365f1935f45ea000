// The "Find:" box, in a band of its own after the playlist list. The words
// typed there narrow the track list to the rows of the chosen list that
// match them (see TrackFind) once typing pauses for a quarter second; Enter
// applies them at once and Esc clears the box.
#pragma once

#include <windows.h>

#include <vector>

#include "core/track_find.h"

class TrackListOwner;

class FindBand {
public:
    // The main window's timer that ends the pause after typing.
    static constexpr UINT_PTR kPauseTimer = 1;

    // Creates the box in a new band at the end of `coolBar`.
    FindBand(TrackListOwner& owner, HWND coolBar);
    FindBand(const FindBand&) = delete;
    FindBand& operator=(const FindBand&) = delete;

    HWND Edit() const { return edit_; }
    // Sizes the box and its band for `dpi`, `height` pixels high (as the
    // playlist list beside it), and gives it `font`, which must show any
    // script.
    void Scale(HFONT font, int dpi, int height);
    // The words applied last.
    const TrackFind& Find() const { return find_; }
    // The tracks of the database read, whose texts the words are looked for
    // in; none once it is released.
    void SetTracks(const std::vector<const OneTrack*>& tracks) { find_.SetTracks(tracks); }

    void Focus();
    // The text of the box changed: the pause starts again.
    void TextChanged();
    // Applies the words typed, unless an operation is under way: then the
    // pause starts again.
    void PauseEnded();

private:
    static LRESULT CALLBACK EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR band);
    void ApplyNow();

    TrackListOwner& owner_;
    HWND coolBar_;
    HWND edit_ = nullptr;
    TrackFind find_;
};
