#include "core/rating_values.h"

#include <algorithm>
#include <array>

#include "core/extraction_rules.h"
#include "core/onetrack.h"

namespace {

constexpr uint32_t kMostStars = 5;
// The names a box lists; the rest are counted.
constexpr size_t kNamesListed = 10;

}  // namespace

RatingConvention RatingConventionOf(std::string_view path) {
    std::string extension = SourceExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    if (extension == ".mp3") {
        return RatingConvention::Id3v2;
    }
    if (extension == ".m4a" || extension == ".m4b" || extension == ".m4v" || extension == ".mp4") {
        return RatingConvention::Mp4Items;
    }
    return RatingConvention::None;
}

RatingAndPlays RatingAndPlaysOf(const OneTrack& track) {
    return {std::min(track.GetRating() / 20, kMostStars), track.GetPlayCount()};
}

bool TakesRatingTags(const OneTrack& track) {
    const RatingAndPlays values = RatingAndPlaysOf(track);
    return (values.Stars > 0 || values.Plays > 0) &&
           RatingConventionOf(track.GetPath()) != RatingConvention::None;
}

uint8_t PopularimeterRating(uint32_t stars) {
    static constexpr std::array<uint8_t, kMostStars + 1> kByStars = {0, 1, 64, 128, 196, 255};
    return kByStars[std::min(stars, kMostStars)];
}

std::string FmpsRatingText(uint32_t stars) {
    static constexpr std::array<const char*, kMostStars + 1> kByStars = {"0.0", "0.2", "0.4",
                                                                         "0.6", "0.8", "1.0"};
    return kByStars[std::min(stars, kMostStars)];
}

bool CopySizeFits(const OneTrack& track, uint64_t copySize, uint64_t playerSize) {
    const uint64_t change = copySize > playerSize ? copySize - playerSize : playerSize - copySize;
    return change == 0 || (TakesRatingTags(track) && change <= kRatingTagsSizeChange);
}

std::u16string RatingsMissedText(const std::vector<std::u16string>& copies) {
    std::string count = std::to_string(copies.size());
    std::u16string text(count.begin(), count.end());
    text += u" copies could not take their ratings:\r\n";
    for (size_t i = 0; i < copies.size() && i < kNamesListed; ++i) {
        text += u"\r\n" + copies[i];
    }
    if (copies.size() > kNamesListed) {
        count = std::to_string(copies.size() - kNamesListed);
        text += u"\r\n... and " + std::u16string(count.begin(), count.end()) + u" more";
    }
    return text;
}
