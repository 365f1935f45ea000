#include "onetrack.h"

#include <algorithm>
#include <iterator>

namespace {

std::string TwoDigits(uint32_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

OneTrack::OneTrack() {
    SetMediaType(-1);
}

void OneTrack::SetLength(uint32_t milliseconds) {
    // At most 4294967 seconds, so the value always fits a signed 32-bit field.
    seconds_ = static_cast<int32_t>(milliseconds / 1000);
}

std::string OneTrack::GetLengthText() const {
    const auto totalSeconds = static_cast<uint32_t>(seconds_);
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

void OneTrack::SetMediaType(int32_t code) {
    // Each name is kept once, for every track: most players hold thousands.
    static const std::string kNames[] = {"Audio/Video",   "Audio",     "Video",       "Podcase",
                                         "Video Podcast", "Audiobook", "Music Video", "TV Show",
                                         "Music TV Show", "Unknown"};
    static constexpr int32_t kCodes[] = {0, 1, 2, 4, 6, 8, 32, 64, 96};
    const auto* found = std::find(std::begin(kCodes), std::end(kCodes), code);
    trackType_ = &kNames[found - std::begin(kCodes)];
}

void OneTrack::SetLocation(std::string location) {
    path_ = std::move(location);
    std::replace(path_.begin(), path_.end(), ':', '\\');
}
