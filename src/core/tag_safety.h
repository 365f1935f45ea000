// Checks made on a copy before the tag library reads it, for what a hostile
// or damaged file on the player could make that library do: recurse through
// boxes nested thousands deep until the stack ends, inflate a compressed
// frame of a few bytes into gigabytes, or search megabytes of bytes that
// look like frame headers one by one. A file that fails is left as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Reads up to `length` bytes of a file at `offset`; fewer at its end.
using ReadFileBytes = std::function<std::string(uint64_t offset, size_t length)>;

// The header of an MP4 box: its type, its whole size and the header's own.
struct Mp4Box {
    std::string Type;
    uint64_t Size = 0;
    uint64_t HeaderLength = 0;
};
// The box at `at` among boxes that end at `end`: a size of 1 is followed by
// the 64-bit size, one of 0 runs to `end`. Nothing when its header cannot be
// read or it does not fit before `end`.
std::optional<Mp4Box> Mp4BoxAt(const ReadFileBytes& read, uint64_t at, uint64_t end);

// How deep real MP4 files nest the boxes the tag library descends into
// (about ten); deeper ones are refused.
inline constexpr int kDeepestMp4Boxes = 32;

// Whether the boxes of an MP4 file of `fileLength` bytes that the tag
// library walks into (the movie, its tracks, media, tables and metadata)
// nest no deeper than kDeepestMp4Boxes. Walked without recursion; every
// size is checked against its parent's end.
bool Mp4BoxesNestShallowly(const ReadFileBytes& read, uint64_t fileLength);

// The largest a frame of an ID3v2 tag may inflate to.
inline constexpr size_t kLargestInflatedFrame = size_t{16} << 20;
// The largest ID3v2 tag read at all.
inline constexpr size_t kLargestId3v2Tag = size_t{64} << 20;

// The length of the ID3v2 tag at the start of `header` (its first ten
// bytes, or fewer), its header and footer included; 0 without one.
size_t Id3v2TagLength(std::string_view header);

// Whether every compressed stream in an ID3v2 tag (all of it, header
// included) inflates to no more than kLargestInflatedFrame, and all of them
// to no more than twice that: each place a
// zlib stream may start is tried, in the tag as stored and, where the tag
// is unsynchronised, as read, so that no way of finding its frames misses
// one.
bool Id3v2InflatesSanely(std::string_view tag);
