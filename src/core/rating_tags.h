// Ratings and play counts written into the copies of the player's files, in
// the two conventions that other programs read from a file's own tags:
//
// - MP3 files, in their ID3v2 tag: the popularimeter frame as Windows writes
//   it (POPM, address "Windows Media Player 9 Series", a rating byte by
//   stars and the plays as its counter), the play counter frame (PCNT), and
//   the user text frames FMPS_Rating (stars / 5, "0.6") and FMPS_Playcount.
//   The tag is saved as ID3v2.3, the version Windows reads, unless it is an
//   ID3v2.4 tag holding frames that ID3v2.3 has no place for: it stays
//   ID3v2.4 then, so that nothing of it is lost.
// - MP4 files (AAC audio, audio books and video): the free-form items
//   ----:com.apple.iTunes:FMPS_Rating and FMPS_Playcount.
//
// Every other frame and item stays; files of other kinds (WAV, AIFF,
// Audible, protected AAC, ...) are never touched. TagLib does the writing:
// it rewrites the tag, or the MP4 header that holds the items, and moves
// the audio behind it unchanged where the tag grows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class OneTrack;

// How the copies of a kind of file carry their rating.
enum class RatingConvention { None, Id3v2, Mp4Items };

// By the extension of the player's file, in any case: .mp3 ID3v2; .m4a,
// .m4b, .m4v and .mp4 MP4 items; any other none.
RatingConvention RatingConventionOf(std::string_view path);

// What a copy is to carry: the stars (0 to 5) and the plays the list shows.
struct RatingAndPlays {
    uint32_t Stars = 0;
    uint32_t Plays = 0;
};
RatingAndPlays RatingAndPlaysOf(const OneTrack& track);

// Whether a track's copy takes tags: a kind that carries them, rated or
// played. The others are copied byte for byte.
bool TakesRatingTags(const OneTrack& track);

// The popularimeter's rating byte for 0 to 5 stars, as Windows writes it
// (1, 64, 128, 196, 255; 0 for none).
uint8_t PopularimeterRating(uint32_t stars);
// FMPS_Rating's text for 1 to 5 stars: "0.2" to "1.0".
std::string FmpsRatingText(uint32_t stars);

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

// What a file carries, one line each: "POPM: <rating byte> <counter>" of
// Windows' popularimeter, "PCNT: <plays>", "FMPS_Rating: <text>",
// "FMPS_Playcount: <text>", each with "-" for a value it lacks. Nothing when
// TagLib cannot read the file or its convention is None.
std::optional<std::string> DescribeRatingTags(const std::filesystem::path& file,
                                              RatingConvention convention);
