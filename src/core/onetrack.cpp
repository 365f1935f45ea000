#include "onetrack.h"

#include <algorithm>

namespace {

std::string TwoDigits(uint32_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

OneTrack::OneTrack() : lengthText_("0:00"), trackType_("Unknown") {}

void OneTrack::SetLength(uint32_t milliseconds) {
    const uint32_t totalSeconds = milliseconds / 1000;
    // At most 4294967 seconds, so the value always fits a signed 32-bit field.
    seconds_ = static_cast<int32_t>(totalSeconds);

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
    lengthText_ = text;
}

void OneTrack::SetMediaType(int32_t code) {
    switch (code) {
        case 0:
            trackType_ = "Audio/Video";
            break;
        case 1:
            trackType_ = "Audio";
            break;
        case 2:
            trackType_ = "Video";
            break;
        case 4:
            trackType_ = "Podcase";
            break;
        case 6:
            trackType_ = "Video Podcast";
            break;
        case 8:
            trackType_ = "Audiobook";
            break;
        case 32:
            trackType_ = "Music Video";
            break;
        case 64:
            trackType_ = "TV Show";
            break;
        case 96:
            trackType_ = "Music TV Show";
            break;
        default:
            trackType_ = "Unknown";
            break;
    }
}

void OneTrack::SetLocation(std::string location) {
    path_ = std::move(location);
    std::replace(path_.begin(), path_.end(), ':', '\\');
}
