// Names of extracted track files, built from the user's pattern such as
// "%tracknumber% - %artist% - %title%".
//
// The placeholders %tracknumber%, %title%, %artist% and %album% are replaced
// in that order, each pass over the whole result of the one before, so a value
// inserted by an earlier pass is searched by the later ones. Placeholders
// match without regard to the case of a to z. Then each character that
// Windows forbids in file names, and every control character and line
// break, becomes a low line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class OneTrack;

// The longest file name a track may get, in UTF-16 code units: the longest
// path Windows takes, without its terminating zero.
inline constexpr size_t MaxTargetFileNameLength = 259;
// Building a name stops once it grows past this many code units, the longest
// path any Windows function takes: values full of placeholders could
// otherwise grow one name to hundreds of megabytes.
inline constexpr size_t MaxBuiltNameLength = 32767;

// The bare file name (no folder, no extension) of `track` under `pattern`.
// A name longer than MaxTargetFileNameLength is the caller's to refuse; it is
// never cut below that, since two tracks could then share what remains. One
// that grows past MaxBuiltNameLength comes back cut just beyond that bound.
std::u16string BuildTargetFileName(std::u16string_view pattern, const OneTrack& track);

// `text` with every match of `key` replaced by `replacement`, left to right,
// matches not overlapping; the replacement is not searched again. The result
// stops at `limit` + 1 code units when it would grow longer.
std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view key,
                                std::u16string_view replacement,
                                size_t limit = std::u16string::npos - 1);

// Position of the first match of `key` in `text` from `start` on, comparing
// with a to z folded to capitals; nothing for no match or an empty key.
std::optional<size_t> FindNoCase(std::u16string_view text, std::u16string_view key,
                                 size_t start = 0);

struct IllegalCharacter {
    char16_t Character;
    char16_t Replacement;
};
// The characters Windows forbids in file names, in the order they are replaced.
inline constexpr std::array<IllegalCharacter, 9> IllegalCharacterMap{{
    {u'/', u'_'},
    {u'\\', u'_'},
    {u':', u'_'},
    {u'*', u'_'},
    {u'?', u'_'},
    {u'"', u'_'},
    {u'<', u'_'},
    {u'>', u'_'},
    {u'|', u'_'},
}};

// Whether a code unit breaks a line or controls the text: U+0000 to U+001F,
// U+007F, and the line breaks U+0085, U+2028 and U+2029. None may stand in a
// name (Windows forbids the first 32 anyway) or in a line of a playlist.
bool IsControlOrLineBreak(char16_t unit);

// `name` with each character of IllegalCharacterMap and each control
// character and line break replaced by a low line.
void ReplaceForbiddenCharacters(std::u16string& name);

// `text` without the code units up to U+0020 (blanks and control
// characters) at its start and end.
std::u16string_view TrimBlanksAndControls(std::u16string_view text);
