// The "Playlist:" drop-down list, in a band of its own in the main window's
// band container: "All Tracks" first (every track read, in file order), then
// each playlist of the loaded database but the library, as "Road Trip (42)".
// Choosing an entry fills the track list with its tracks in playlist order
// (those the find box's words match).
#pragma once

#include <windows.h>

#include <vector>

#include "core/playlist.h"

class ITDBParser;
class TrackListOwner;

class PlaylistChooser {
public:
    // Creates the drop-down list in a new band at the end of `coolBar`.
    PlaylistChooser(TrackListOwner& owner, HWND coolBar);
    PlaylistChooser(const PlaylistChooser&) = delete;
    PlaylistChooser& operator=(const PlaylistChooser&) = delete;

    HWND ComboBox() const { return comboBox_; }
    // Sizes the list and its band for `dpi` and gives it `font`, which must
    // show names in any script (the track list's).
    void Scale(HFONT font, int dpi);

    // Lists the playlists of `parser` (none for null) with "All Tracks"
    // chosen; the track list is left as it is. Entries point into the
    // reader's playlists: reset before the reader goes.
    void Reset(const ITDBParser* parser);
    // Shows the entry the user has chosen in the drop-down list, unless an
    // operation is under way: then the list goes back to the entry shown.
    void ShowChosen();
    // Puts the keyboard focus on the drop-down list, where the arrow keys
    // change the playlist at once.
    void Focus();

private:
    TrackListOwner& owner_;
    const ITDBParser* parser_ = nullptr;
    HWND coolBar_;
    HWND comboBox_ = nullptr;
    std::vector<const Playlist*> playlists_;  // the entries after "All Tracks"
    int shownEntry_ = 0;
};
