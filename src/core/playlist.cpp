#include "playlist.h"

#include <string>

std::u16string PlaylistLabel(const Playlist& playlist) {
    const std::string count = std::to_string(playlist.Members.size());
    return playlist.Name + u" (" + std::u16string(count.begin(), count.end()) + u")";
}

std::vector<const Playlist*> UserPlaylists(const std::vector<Playlist>& playlists) {
    std::vector<const Playlist*> kept;
    for (const Playlist& playlist : playlists) {
        if (playlist.Kind != PlaylistKind::Library) {
            kept.push_back(&playlist);
        }
    }
    return kept;
}
