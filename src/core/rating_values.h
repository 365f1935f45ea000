// The ratings and plays that copies carry in their tags: which copies take
// them, by the kind of the player's file, and the values of the two
// conventions, Windows' popularimeter and the FMPS fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// TagLib rewrites a tag with padding of its own choosing, at most 1 MiB, and
// the values take well under a kilobyte: a copy that took them differs in
// size from the player's file by at most this.
constexpr uint64_t kRatingTagsSizeChange = (uint64_t{1} << 20) + 4096;

// Whether a copy of `copySize` bytes may be the copy of a track whose file
// has `playerSize` bytes: the same size, or near it for a track whose copy
// may have taken its rating and plays.
bool CopySizeFits(const OneTrack& track, uint64_t copySize, uint64_t playerSize);

// The box at the end of a run in which copies could not take their
// ratings: their count, then the first of their names.
std::u16string RatingsMissedText(const std::vector<std::u16string>& copies);
