#include "onetrack.h"

#include <algorithm>
#include <iterator>

namespace {

std::string TwoDigits(uint32_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string OneTrack::GetLengthText() const {
    const uint32_t totalSeconds = milliseconds_ / 1000;
    const uint32_t sec = totalSeconds % 60;
    const uint32_t totalMinutes = totalSeconds / 60;
    const uint32_t min = totalMinutes % 60;
    const uint32_t totalHours = totalMinutes / 60;
    const uint32_t hours = totalHours % 24;
    const uint32_t days = totalHours / 24;

    std::string text;
    if (days > 0) {
        text = std::to_string(days) + "d " + TwoDigits(hours) + ":";
    } else if (hours > 0) {
        text = std::to_string(hours) + ":";
    }
    text += (days > 0 || hours > 0) ? TwoDigits(min) : std::to_string(min);
    text += ':';
    text += TwoDigits(sec);
    return text;
}

namespace {

// The media types by their codes; the last name is every other code's.
constexpr int32_t kMediaTypeCodes[] = {0, 1, 2, 4, 6, 8, 32, 64, 96};
// Video in the codes: video, music video and TV show; podcasts.
constexpr int32_t kVideoBits = 2 | 32 | 64;
constexpr int32_t kPodcastBit = 4;

}  // namespace

const std::string& OneTrack::GetTrackType() const {
    // Each name is kept once, for every track: most players hold thousands.
    static const std::string kNames[] = {"Audio/Video",   "Audio",     "Video",       "Podcase",
                                         "Video Podcast", "Audiobook", "Music Video", "TV Show",
                                         "Music TV Show", "Unknown"};
    const auto* found =
        std::find(std::begin(kMediaTypeCodes), std::end(kMediaTypeCodes), mediaType_);
    return kNames[found - std::begin(kMediaTypeCodes)];
}

bool OneTrack::IsPodcast() const {
    return mediaType_ > 0 && (mediaType_ & kPodcastBit) != 0;
}

bool OneTrack::HasVideo() const {
    return mediaType_ > 0 && (mediaType_ & kVideoBits) != 0;
}

void OneTrack::SetLocation(std::string location) {
    path_ = std::move(location);
    std::replace(path_.begin(), path_.end(), ':', '\\');
}
