#include "folder_pattern.h"

#include "extraction_rules.h"  // IsReservedDeviceName
#include "file_name_pattern.h"

namespace {

bool IsPlaceholder(std::u16string_view levelPattern, std::u16string_view placeholder) {
    return levelPattern.size() == placeholder.size() && FindNoCase(levelPattern, placeholder);
}

// What a level becomes when its built name cannot be a folder.
std::u16string FallbackLevel(std::u16string_view levelPattern) {
    if (IsPlaceholder(levelPattern, u"%artist%")) {
        return u"Unknown Artist";
    }
    if (IsPlaceholder(levelPattern, u"%album%")) {
        return u"Unknown Album";
    }
    return u"_";
}

std::u16string BuildLevel(std::u16string_view levelPattern, const OneTrack& track) {
    std::u16string level = BuildTargetFileName(levelPattern, track);
    // Windows drops them silently; "a." and "a" would be one folder.
    level.erase(level.find_last_not_of(u". ") + 1);
    if (level.empty() || IsReservedDeviceName(level)) {
        return FallbackLevel(levelPattern);
    }
    return level;
}

}  // namespace

std::u16string BuildTargetFolder(std::u16string_view folderPattern, const OneTrack& track) {
    std::u16string folder;
    if (folderPattern.empty()) {
        return folder;
    }
    for (size_t start = 0;;) {
        const size_t end = folderPattern.find(u'\\', start);
        folder += BuildLevel(folderPattern.substr(start, end - start), track);
        folder += u'\\';
        if (end == std::u16string_view::npos) {
            return folder;
        }
        start = end + 1;
    }
}
