// Whole-file facts and reads at an offset, for files read by their narrow
// (ANSI) names: 64-bit offsets on every platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// Moves a C stream to an offset from `origin` (SEEK_SET, SEEK_END, ...).
bool SeekFile(std::FILE* file, int64_t offset, int origin);
// Where a C stream stands; negative on failure.
int64_t TellFile(std::FILE* file);

// The size of the file in bytes; nothing when it cannot be opened.
std::optional<int64_t> FileSize(const std::string& path);

// Reads `count` bytes from `offset` of the file into `destination` with one
// seek and one read; false when the file cannot be opened or holds fewer.
bool ReadFileRange(const std::string& path, int64_t offset, size_t count, uint8_t* destination);
