// Positions in C streams with 64-bit offsets on every platform.
#pragma once

#include <cstdint>
#include <cstdio>

// Moves a C stream to an offset from `origin` (SEEK_SET, SEEK_END, ...).
bool SeekFile(std::FILE* file, int64_t offset, int origin);
// Where a C stream stands; negative on failure.
int64_t TellFile(std::FILE* file);
