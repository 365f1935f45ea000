// Playlist files (.m3u8) that point at the extracted copies of a playlist's
// tracks, so that any music program on the PC opens the playlist: the text
// of one file and the file names of one export's playlists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "block_writer.h"
#include "file_name_case.h"
#include "playlist.h"
#include "track_name_plan.h"
#include "utf8_text.h"

// One member as its playlist file lists it.
struct PlaylistFileEntry {
    int32_t Seconds = 0;
    std::u16string Artist;
    std::u16string Title;
    std::u16string Path;  // relative to the playlist file's folder
};

// The longest "<artist> - <title>" text of an "#EXTINF" line, in UTF-16 code
// units; a longer one is cut there.
inline constexpr size_t kLongestEntryInfo = 1024;

// A playlist file on its way into a file, written as its entries come:
// UTF-8 without a byte-order mark, lines ended by CR LF, "#EXTM3U" first,
// then for each entry "#EXTINF:<seconds>,<artist> - <title>" and its path.
// Line breaks and other control characters in the artist and title become
// spaces, so that each entry keeps its two lines.
class PlaylistFileWriter {
public:
    explicit PlaylistFileWriter(BlockWriter::WriteBlock write,
                                size_t blockSize = BlockWriter::DefaultBlockSize);
    // All three return false once a block could not be written.
    bool WriteEntry(const PlaylistFileEntry& entry);
    // An entry's two lines as PlaylistEntryLines gives them.
    bool WriteLines(std::string_view lines) { return output_.Append(lines); }
    bool Finish() { return output_.Finish(); }

private:
    BlockWriter output_;
};

// The entry of `track` in a playlist file in the folder the extraction
// writes into, whose path (with its last backslash) is `destinationLength`
// code units long: the path the extraction's `plan` gives the track there,
// relative to that folder. None for a track the extraction refuses: one
// whose name it refuses, and one whose whole path would be longer than
// Windows takes.
std::optional<PlaylistFileEntry> PlaylistFileEntryOf(const OneTrack& track,
                                                     const TrackNamePlan& plan,
                                                     size_t destinationLength);

// The two lines of an entry in a playlist file, as PlaylistFileWriter
// writes them.
std::string PlaylistEntryText(const PlaylistFileEntry& entry);

// The lines of each track in the playlist files of one export, worked out
// once for each track however many times the playlists hold it: a
// playlist of a million entries costs little more than writing them.
class PlaylistEntryLines {
public:
    // Whether a track is listed at all (while the find box narrows the rows,
    // a playlist holds what it finds).
    using Filter = std::function<bool(const OneTrack&)>;
    // The most memory the lines kept take, in bytes; the lines of tracks
    // beyond are worked out again each time.
    static constexpr size_t kMostKeptBytes = size_t{64} << 20;

    // The entries as PlaylistFileEntryOf makes them for that folder; the
    // plan must outlive this.
    PlaylistEntryLines(const TrackNamePlan& plan, size_t destinationLength, Filter listed);
    // The two lines of `track`'s entry, or nothing for a track left out;
    // valid until the next call.
    std::string_view Of(const OneTrack& track);

private:
    std::string LinesOf(const OneTrack& track) const;

    const TrackNamePlan& plan_;
    size_t destinationLength_;
    Filter listed_;
    std::unordered_map<const OneTrack*, std::string> kept_;
    size_t keptBytes_ = 0;
    std::string latest_;  // the lines of a track not kept
};

// The text of the box shown when a playlist file cannot be written; `reason`
// is the system's text for the error, which as a rule ends in a line break.
std::u16string PlaylistFileFailureText(std::u16string_view target, std::u16string_view reason);

// The file names ("Road Trip.m3u8") of the playlists of one export, in the
// order of their names: each name with blanks and controls trimmed and the
// characters Windows forbids replaced, as track names are made;
// "Playlist" for a name left empty, of dots only or one Windows keeps for a
// device; names that meet an earlier one, ignoring case as Windows does
// (FileNameCapitals), get " (2)", " (3)"
// and so on, the first number that is free, also where they meet a name
// `taken` holds already (a file the same run wrote into the folder), which
// then holds these too. Takes time in proportion to the number of names,
// however many meet.
std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames,
                                              NameNumbering& taken);
// The same in a folder of nothing else.
std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames);
