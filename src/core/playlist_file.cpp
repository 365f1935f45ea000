#include "playlist_file.h"

#include <algorithm>
#include <set>

#include "extraction_rules.h"
#include "file_name_pattern.h"

namespace {

constexpr std::u16string_view kExtension = u".m3u8";
constexpr std::u16string_view kFallbackName = u"Playlist";

void AppendUtf8(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | code >> 6);
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | code >> 12);
        bytes += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | code >> 18);
        bytes += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        bytes += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::u16string ControlsAsSpaces(std::u16string text) {
    std::replace_if(
        text.begin(), text.end(), [](char16_t unit) { return unit < u' '; }, u' ');
    return text;
}

// Capital letters for the small ones of the scripts most names are written
// in (Latin, Greek, Cyrillic), as Windows compares file names.
char16_t FoldCase(char16_t unit) {
    const bool shifted32 =
        (unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) ||
        (unit >= 0x3B1 && unit <= 0x3CB && unit != 0x3C2) || (unit >= 0x430 && unit <= 0x44F);
    if (shifted32) {
        return static_cast<char16_t>(unit - 0x20);
    }
    if (unit >= 0x450 && unit <= 0x45F) {
        return static_cast<char16_t>(unit - 0x50);
    }
    if (unit == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A pairs a capital at an even code with its small letter.
    if ((unit >= 0x100 && unit <= 0x137) || (unit >= 0x14A && unit <= 0x177)) {
        return static_cast<char16_t>(unit & ~1u);
    }
    return unit;
}

std::u16string Folded(std::u16string_view name) {
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

// The name before its extension and numbering: mapped, trimmed, or the
// fallback.
std::u16string BaseName(std::u16string_view playlistName) {
    std::u16string name(TrimBlanksAndControls(playlistName));
    for (const IllegalCharacter& illegal : IllegalCharacterMap) {
        std::replace(name.begin(), name.end(), illegal.Character, illegal.Replacement);
    }
    const bool onlyDots = name.find_first_not_of(u'.') == std::u16string::npos;
    if (onlyDots || IsReservedDeviceName(name)) {
        return std::u16string(kFallbackName);
    }
    return name;
}

std::u16string Decimal(size_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(bytes, high || low ? 0xFFFD : unit);
        }
    }
    return bytes;
}

std::vector<PlaylistFileEntry> PlaylistFileEntries(const Playlist& playlist,
                                                   std::u16string_view fileFormat,
                                                   std::u16string_view folderFormat,
                                                   size_t destinationLength) {
    std::vector<PlaylistFileEntry> entries;
    for (const OneTrack* track : playlist.Members) {
        TargetName target = PlanTargetName(fileFormat, *track, folderFormat);
        const bool inSubFolder = target.Name.find(u'\\') != std::u16string::npos;
        const bool tooLong =
            inSubFolder && destinationLength + target.Name.size() > MaxTargetFileNameLength;
        if (target.Refusal == TrackRefusal::None && !tooLong) {
            entries.push_back({track->GetSeconds(), track->GetArtist(), track->GetTitle(),
                               std::move(target.Name)});
        }
    }
    return entries;
}

std::string PlaylistFileText(const std::vector<PlaylistFileEntry>& entries) {
    std::string text = "#EXTM3U\r\n";
    for (const PlaylistFileEntry& entry : entries) {
        text += "#EXTINF:" + std::to_string(entry.Seconds) + ",";
        text += Utf8FromUtf16(ControlsAsSpaces(entry.Artist + u" - " + entry.Title));
        text += "\r\n" + Utf8FromUtf16(entry.Path) + "\r\n";
    }
    return text;
}

std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames) {
    std::vector<std::u16string> fileNames;
    std::set<std::u16string> taken;
    for (const std::u16string& playlistName : playlistNames) {
        const std::u16string base = BaseName(playlistName);
        std::u16string name = base;
        for (size_t number = 2; !taken.insert(Folded(name)).second; ++number) {
            name = base + u" (" + Decimal(number) + u")";
        }
        fileNames.push_back(name + std::u16string(kExtension));
    }
    return fileNames;
}
