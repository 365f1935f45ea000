// File names as the volume readers hand them out and look them up. A Mac
// volume keeps names decomposed (an accent as a mark after its letter) and
// compares them without regard to case; Windows shows them composed. Both
// readers show names composed and find them by their composed, case-folded
// form, so "Café.mp3" finds the file whatever form the volume stored.
#pragma once

#include <string>
#include <string_view>

// The name with every decomposed letter and mark that has a composed
// character in its place (Hangul syllables too); other text as it stands.
std::u16string ComposedName(std::u16string_view name);

// The composed name in lower case: two names are the same file's on a
// case-insensitive volume when their keys are equal.
std::u16string NameKey(std::u16string_view name);
