// The library file that music programs import ("iTunes Library.xml"): an
// XML property list of the tracks a run brought home, with what the player
// knows of each (ratings, plays, dates), their playlists, and where each
// copy lies. Which tracks go in, and the file's text, free of Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "block_writer.h"
#include "copy_comparison.h"
#include "player_time.h"

class OneTrack;
class TrackNamePlan;
struct Playlist;

// "2006-01-02T15:04:05Z".
std::string IsoDate(const CivilTime& utc);

// Text as XML 1.0 character data, in UTF-8: "&", "<" and ">" escaped, the
// controls XML 1.0 forbids (all but tab, line feed and carriage return) a
// space each, a carriage return "&#13;" (a parser would read a bare one as
// a line feed), and a surrogate without its partner U+FFFD.
std::string XmlText(std::u16string_view text);

// A path as a file URL: "C:\Music\A & B.mp3" as
// "file://localhost/C:/Music/A%20%26%20B.mp3", "/home/ana/x" as
// "file:///home/ana/x". Each byte of the path's UTF-8 is percent-encoded
// (upper-case hex) but A-Z a-z 0-9 - . _ ~ / and a drive's colon.
std::string FileUrl(std::u16string_view path);

// One track whose copy the library names.
struct LibraryTrack {
    const OneTrack* Track = nullptr;
    std::u16string CopyPath;  // where the copy lies, on this machine
    uint64_t Size = 0;        // of the copy, which is the player's file's
};

// The tracks of the player, in file order, whose copy lies where the
// extraction puts it (below `folder`, a path and its separator, by the
// extraction's `plan`, its refusals included) with the size of the player's
// file (the one the database gives, or else that of the file itself, below
// `player`, the player's folder without a separator at its end), or near it
// for a copy that took its ratings, or else the player's file's contents
// but for the tags (read through `openCopy` and `openPlayerFile`).
// `copySize` and `playerFileSize` tell the size of a file there, or nothing
// when there is none. The others are counted as left out.
struct LibraryChoice {
    std::vector<LibraryTrack> Tracks;
    size_t LeftOut = 0;
};
using FileSizeLookup = std::function<std::optional<uint64_t>(const std::u16string& path)>;
using FileOpener = std::function<std::optional<OpenedFile>(const std::u16string& path)>;
LibraryChoice ChooseLibraryTracks(const std::vector<const OneTrack*>& tracks,
                                  const TrackNamePlan& plan, std::u16string_view folder,
                                  std::u16string_view player, const FileSizeLookup& copySize,
                                  const FileSizeLookup& playerFileSize, const FileOpener& openCopy,
                                  const FileOpener& openPlayerFile);

// Everything the library file holds.
struct Library {
    std::u16string MusicFolder;  // where the copies were put
    uint64_t LibraryId = 0;      // the player database's own id; 0 for none
    CivilTime Now;               // in UTC
    std::vector<LibraryTrack> Tracks;
    // As the playlist list shows them, the library itself left out; their
    // members that are not among the tracks are left out of them.
    std::vector<const Playlist*> Playlists;
};

// More tracks for the library, a part at a time, in order, so that the file
// is written while the next are chosen; null after the last part. The giver
// keeps each part until the file is written: under Wine, letting go of its
// paths while another thread makes the next ones would make both wait.
using MoreLibraryTracks = std::function<const std::vector<LibraryTrack>*()>;

// Writes the library file of `library`'s tracks and then those `moreTracks`
// gives, telling `progress` of the last track written now and then; false
// once a write failed.
bool WriteLibraryXml(const Library& library, const LocalToUtc& localToUtc, BlockWriter& output,
                     const MoreLibraryTracks& moreTracks = {},
                     const std::function<void(const LibraryTrack& written)>& progress = {});
