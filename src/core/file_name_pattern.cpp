#include "file_name_pattern.h"

#include <string>

#include "onetrack.h"

namespace {

char16_t FoldAToZ(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

std::u16string DecimalText(int32_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::optional<size_t> FindNoCase(std::u16string_view text, std::u16string_view key, size_t start) {
    if (key.empty() || start > text.size() || key.size() > text.size() - start) {
        return std::nullopt;
    }
    for (size_t position = start; position <= text.size() - key.size(); ++position) {
        size_t matched = 0;
        while (matched < key.size() &&
               FoldAToZ(text[position + matched]) == FoldAToZ(key[matched])) {
            ++matched;
        }
        if (matched == key.size()) {
            return position;
        }
    }
    return std::nullopt;
}

std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view key,
                                std::u16string_view replacement, size_t limit) {
    std::u16string result;
    // Appends at most up to one code unit past the limit; false once there.
    const auto append = [&](std::u16string_view part) {
        result.append(part.substr(0, limit + 1 - result.size()));
        return result.size() <= limit;
    };
    size_t readPosition = 0;
    while (const std::optional<size_t> match = FindNoCase(text, key, readPosition)) {
        if (!append(text.substr(readPosition, *match - readPosition)) || !append(replacement)) {
            return result;
        }
        readPosition = *match + key.size();
    }
    append(text.substr(readPosition));
    return result;
}

std::u16string_view TrimBlanksAndControls(std::u16string_view text) {
    while (!text.empty() && text.front() <= u' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() <= u' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string BuildTargetFileName(std::u16string_view pattern, const OneTrack& track) {
    constexpr size_t limit = MaxBuiltNameLength;
    std::u16string name(pattern.substr(0, limit + 1));
    name = ReplaceAllNoCase(name, u"%tracknumber%", DecimalText(track.GetTrackNumber()), limit);
    name = ReplaceAllNoCase(name, u"%title%", TrimBlanksAndControls(track.GetTitle()), limit);
    name = ReplaceAllNoCase(name, u"%artist%", TrimBlanksAndControls(track.GetArtist()), limit);
    name = ReplaceAllNoCase(name, u"%album%", TrimBlanksAndControls(track.GetAlbum()), limit);
    ReplaceForbiddenCharacters(name);
    return name;
}

bool IsControlOrLineBreak(char16_t unit) {
    return unit < u' ' || unit == u'\x7F' || unit == u'\x85' || unit == u'\u2028' ||
           unit == u'\u2029';
}

void ReplaceForbiddenCharacters(std::u16string& name) {
    for (char16_t& unit : name) {
        for (const IllegalCharacter& illegal : IllegalCharacterMap) {
            if (unit == illegal.Character) {
                unit = illegal.Replacement;
            }
        }
        if (IsControlOrLineBreak(unit)) {
            unit = u'_';
        }
    }
}
