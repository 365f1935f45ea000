// File names as Windows compares them, without regard to case: each small
// letter taken for its capital.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The capital of a code unit in the table NTFS compares file names by, for
// the scripts most names are written in: Latin (with Latin-1 and Latin
// Extended-A), Greek (where both small sigmas have the one capital),
// Cyrillic and the full-width Latin letters; any other unit as it is.
char16_t FileNameCapital(char16_t unit);

// The name in capitals: by FileNameCapital, and in the Windows build by the
// system's own table for the letters FileNameCapital leaves as they are.
// Two names whose capitals differ are never one file.
std::u16string FileNameCapitals(std::u16string_view name);

// The names given in one folder: a name that meets one given before, in
// capitals, gets " (2)", " (3)" and so on before its extension, the first
// number that is free. Takes time in proportion to the number of names,
// however many meet.
class NameNumbering {
public:
    // `stem` followed by `extension`, numbered between them where needed;
    // the name is then taken.
    std::u16string Take(std::u16string_view stem, std::u16string_view extension = {});
    // A name given elsewhere (a file written before): later ones meeting it
    // are numbered.
    void Reserve(std::u16string_view name) { taken_.insert(FileNameCapitals(name)); }

private:
    std::unordered_set<std::u16string> taken_;  // in capitals
    // For each name that met another, in capitals, the number to try next:
    // every one below it is taken, since no name is ever given back.
    std::unordered_map<std::u16string, size_t> nextNumber_;
};

// The names, in their order, each one that meets an earlier one in capitals
// with " (2)", " (3)" and so on after it, the first number that is free.
// Takes time in proportion to the number of names, however many meet.
std::vector<std::u16string> NumberedWhereTheyMeet(std::vector<std::u16string> names);
