// A playlist as read from the player's database: its name, what kind of list
// it is and its members in the order the player plays them. Members point at
// the reader's track records, which outlive the playlist only while the
// reader lives.
#pragma once

#include <string>
#include <vector>

#include "onetrack.h"

enum class PlaylistKind {
    Library,   // every track; the player's own list, not one of the user's
    Podcasts,  // the podcast list
    Smart,     // filled by rules; its members are the tracks the player stored for it
    Other,
};

struct Playlist {
    std::u16string Name;
    PlaylistKind Kind = PlaylistKind::Other;
    std::vector<const OneTrack*> Members;  // playlist order; a track may appear more than once
};

// The playlists a user keeps, in file order: all but the player's library.
std::vector<const Playlist*> UserPlaylists(const std::vector<Playlist>& playlists);

// The playlist as the playlist chooser lists it: "Road Trip (42)".
std::u16string PlaylistLabel(const Playlist& playlist);
