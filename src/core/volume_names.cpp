#include "volume_names.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct CanonicalPair {
    char16_t First;
    char16_t Mark;
    char16_t Composed;
};

struct LowerCase {
    char16_t Upper;
    char16_t Lower;
};

#include "volume_name_tables.inc"

// Hangul syllables are composed by arithmetic, not by table.
constexpr char16_t kLeadFirst = 0x1100, kVowelFirst = 0x1161, kTrailFirst = 0x11A7;
constexpr char16_t kSyllableFirst = 0xAC00;
constexpr int kLeads = 19, kVowels = 21, kTrails = 28;

char16_t ComposedHangul(char16_t first, char16_t next) {
    if (first >= kLeadFirst && first < kLeadFirst + kLeads && next >= kVowelFirst &&
        next < kVowelFirst + kVowels) {
        return static_cast<char16_t>(
            kSyllableFirst + ((first - kLeadFirst) * kVowels + (next - kVowelFirst)) * kTrails);
    }
    const int syllable = first - kSyllableFirst;
    if (syllable >= 0 && syllable < kLeads * kVowels * kTrails && syllable % kTrails == 0 &&
        next > kTrailFirst && next < kTrailFirst + kTrails) {
        return static_cast<char16_t>(first + (next - kTrailFirst));
    }
    return 0;
}

char16_t ComposedPair(char16_t first, char16_t mark) {
    if (char16_t hangul = ComposedHangul(first, mark)) {
        return hangul;
    }
    const auto* end = std::end(kCanonicalPairs);
    const auto* found =
        std::lower_bound(std::begin(kCanonicalPairs), end, CanonicalPair{first, mark, 0},
                         [](const CanonicalPair& a, const CanonicalPair& b) {
                             return a.First != b.First ? a.First < b.First : a.Mark < b.Mark;
                         });
    return found != end && found->First == first && found->Mark == mark ? found->Composed : 0;
}

char16_t LowerOf(char16_t character) {
    const auto* end = std::end(kLowerCases);
    const auto* found = std::lower_bound(
        std::begin(kLowerCases), end, character,
        [](const LowerCase& entry, char16_t wanted) { return entry.Upper < wanted; });
    return found != end && found->Upper == character ? found->Lower : character;
}

}  // namespace

std::u16string ComposedName(std::u16string_view name) {
    std::u16string composed;
    composed.reserve(name.size());
    for (char16_t character : name) {
        if (!composed.empty()) {
            if (char16_t pair = ComposedPair(composed.back(), character)) {
                composed.back() = pair;
                continue;
            }
        }
        composed.push_back(character);
    }
    return composed;
}

std::u16string NameKey(std::u16string_view name) {
    std::u16string key = ComposedName(name);
    for (char16_t& character : key) {
        character = character < 0x80
                        ? static_cast<char16_t>(
                              character >= u'A' && character <= u'Z' ? character + 32 : character)
                        : LowerOf(character);
    }
    return key;
}
