#include "playlist.h"

#include <string>

std::u16string PlaylistLabel(const Playlist& playlist) {
    const std::string count = std::to_string(playlist.Members.size());
    return playlist.Name + u" (" + std::u16string(count.begin(), count.end()) + u")";
}
