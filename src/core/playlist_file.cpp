#include "playlist_file.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "extraction_rules.h"
#include "file_name_pattern.h"
#include "onetrack.h"

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

// The info text of an entry: cut to its longest (never inside a surrogate
// pair), with every control character a space.
std::u16string EntryInfo(const PlaylistFileEntry& entry) {
    std::u16string info = entry.Artist + u" - " + entry.Title;
    if (info.size() > kLongestEntryInfo) {
        const bool splitsPair =
            info[kLongestEntryInfo] >= 0xDC00 && info[kLongestEntryInfo] <= 0xDFFF;
        info.resize(kLongestEntryInfo - (splitsPair ? 1 : 0));
    }
    std::replace_if(
        info.begin(), info.end(), [](char16_t unit) { return unit < u' '; }, u' ');
    return info;
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

// " (2)" for 2.
std::u16string Numbering(size_t number) {
    const std::string digits = std::to_string(number);
    return u" (" + std::u16string(digits.begin(), digits.end()) + u")";
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

std::optional<PlaylistFileEntry> PlaylistFileEntryOf(const OneTrack& track,
                                                     std::u16string_view fileFormat,
                                                     std::u16string_view folderFormat,
                                                     size_t destinationLength) {
    TargetName target = PlanTargetName(fileFormat, track, folderFormat);
    const bool inSubFolder = target.Name.find(u'\\') != std::u16string::npos;
    const bool tooLong =
        inSubFolder && destinationLength + target.Name.size() > MaxTargetFileNameLength;
    if (target.Refusal != TrackRefusal::None || tooLong) {
        return std::nullopt;
    }
    // No more of the texts than the info line can show.
    return PlaylistFileEntry{track.GetSeconds(), track.GetArtist().substr(0, kLongestEntryInfo),
                             track.GetTitle().substr(0, kLongestEntryInfo), std::move(target.Name)};
}

PlaylistFileWriter::PlaylistFileWriter(BlockWriter::WriteBlock write, size_t blockSize)
    : output_(std::move(write), blockSize) {
    output_.Append("#EXTM3U\r\n");
}

bool PlaylistFileWriter::WriteEntry(const PlaylistFileEntry& entry) {
    const std::string lines = "#EXTINF:" + std::to_string(entry.Seconds) + "," +
                              Utf8FromUtf16(EntryInfo(entry)) + "\r\n" + Utf8FromUtf16(entry.Path) +
                              "\r\n";
    return output_.Append(lines);
}

std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames) {
    std::vector<std::u16string> fileNames;
    std::unordered_set<std::u16string> taken;  // folded
    // For each folded name that met another, the number to try next: every
    // one below it is taken, since no name is ever given back.
    std::unordered_map<std::u16string, size_t> nextNumber;
    for (const std::u16string& playlistName : playlistNames) {
        std::u16string name = BaseName(playlistName);
        const std::u16string folded = Folded(name);
        if (!taken.insert(folded).second) {
            size_t& number = nextNumber.try_emplace(folded, 2).first->second;
            while (!taken.insert(folded + Numbering(number)).second) {
                ++number;
            }
            name += Numbering(number++);
        }
        fileNames.push_back(name + std::u16string(kExtension));
    }
    return fileNames;
}
