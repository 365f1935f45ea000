// Playlist files (.m3u8) that point at the extracted copies of a playlist's
// tracks, so that any music program on the PC opens the playlist: the text
// of one file and the file names of one export's playlists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "playlist.h"

// One member as its playlist file lists it.
struct PlaylistFileEntry {
    int32_t Seconds = 0;
    std::u16string Artist;
    std::u16string Title;
    std::u16string Path;  // relative to the playlist file's folder
};

// The bytes of a playlist file: UTF-8 without a byte-order mark, lines ended
// by CR LF, "#EXTM3U" first, then for each entry
// "#EXTINF:<seconds>,<artist> - <title>" and its path. Line breaks and other
// control characters in the artist and title become spaces, so that each
// entry keeps its two lines.
std::string PlaylistFileText(const std::vector<PlaylistFileEntry>& entries);

// The entries of `playlist`'s file in the folder the extraction writes into,
// whose path (with its last backslash) is `destinationLength` code units
// long: each member, in playlist order, with the path the extraction gives
// its track there under `fileFormat` and `folderFormat`, relative to that
// folder. Members the extraction refuses are left out: those whose name it
// refuses, and those whose sub-folders make the whole path longer than
// Windows takes.
std::vector<PlaylistFileEntry> PlaylistFileEntries(const Playlist& playlist,
                                                   std::u16string_view fileFormat,
                                                   std::u16string_view folderFormat,
                                                   size_t destinationLength);

// UTF-8 of UTF-16 text; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// The file names ("Road Trip.m3u8") of the playlists of one export, in the
// order of their names: each name with the characters Windows forbids
// replaced and blanks and controls trimmed, as track names are made;
// "Playlist" for a name left empty, of dots only or one Windows keeps for a
// device; names that meet an earlier one, ignoring case, get " (2)", " (3)"
// and so on.
std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames);
