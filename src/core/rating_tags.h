// Ratings and play counts written into the copies of the player's files, in
// the two conventions that other programs read from a file's own tags:
//
// - MP3 files, in their ID3v2 tag: the popularimeter frame as Windows writes
//   it (POPM, address "Windows Media Player 9 Series", a rating byte by
//   stars and the plays as its counter), the play counter frame (PCNT), and
//   the user text frames FMPS_Rating (stars / 5, "0.6") and FMPS_Playcount.
//   An ID3v2.4 tag stays ID3v2.4, so that nothing of it is lost; an ID3v2.3
//   or 2.2 tag, and a new one, is saved as ID3v2.3, the version Windows
//   reads. An unrated track leaves the ratings a file has as they are.
// - MP4 files (AAC audio, audio books and video): the free-form items
//   ----:com.apple.iTunes:FMPS_Rating and FMPS_Playcount.
//
// Every other frame and item stays; files of other kinds (WAV, AIFF,
// Audible, protected AAC, ...) are never touched, nor are files that could
// make TagLib fail (see tag_safety.h). TagLib does the writing:
// it rewrites the tag, or the MP4 header that holds the items, and moves
// the audio behind it unchanged where the tag grows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/rating_values.h"

// What writing the tags into a file came to.
enum class RatingTagsOutcome {
    Written,
    // TagLib cannot read the file, or it is read-only: nothing was changed.
    Unreadable,
    // The tags were saved, but the file does not read back as it should:
    // it may be damaged and is not to be kept.
    Damaged,
};
// Writes the rating and plays into the file, by `convention` (not None).
// The file must not be open elsewhere.
RatingTagsOutcome WriteRatingTags(const std::filesystem::path& file, RatingConvention convention,
                                  RatingAndPlays values);

// The tag that a copy of an MP3 takes in front of the player's bytes that
// follow the file's own ID3v2 tag, if any (`Replaced` bytes), carrying
// `values`, so that the copy is written in one pass: the very tag
// WriteRatingTags would write into the copy, checked by reading it back from
// its bytes. `start` is the file's first bytes, its tag and the
// kMp3AudioChecked bytes after it (or all of a smaller file), of `fileSize`
// in all. Nothing when `start` is shorter, the tag is longer than
// kLargestTagInFront or not safe to read, or no MPEG audio starts in those
// bytes: the copy is then tagged as ever.
struct Mp3TagInFront {
    std::string Tag;
    size_t Replaced = 0;
};
std::optional<Mp3TagInFront> TagInFrontOfMp3(std::string_view start, uint64_t fileSize,
                                             RatingAndPlays values);
inline constexpr size_t kMp3AudioChecked = size_t{64} << 10;
inline constexpr size_t kLargestTagInFront = size_t{1} << 20;
// How many of an MP3's first bytes TagInFrontOfMp3 needs, told by its first
// ten: its tag and kMp3AudioChecked bytes more; nothing for a tag larger
// than kLargestTagInFront.
std::optional<size_t> StartForTagInFront(std::string_view header);

// What a file carries, one line each: "POPM: <rating byte> <counter>" of
// Windows' popularimeter, "PCNT: <plays>", "FMPS_Rating: <text>",
// "FMPS_Playcount: <text>", each with "-" for a value it lacks. Nothing when
// TagLib cannot read the file or its convention is None.
std::optional<std::string> DescribeRatingTags(const std::filesystem::path& file,
                                              RatingConvention convention);
