// Whether a copy is the player's file but for its tags: a copy whose
// ratings and plays were written may differ from the player's file in
// length by much more than the values take, since the tag library rewrites
// a tag's padding, but never in the audio.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "player_files.h"
#include "rating_values.h"
#include "tag_safety.h"  // ReadFileBytes

// A file opened for reading.
struct OpenedFile {
    uint64_t Length = 0;
    ReadFileBytes Read;
};

// A file of the player, read as the comparison reads; nothing for none.
std::optional<OpenedFile> OpenedFileOf(std::unique_ptr<PlayerFile> file);

// Whether `copy` holds what `player` holds but for the tags of
// `convention`: for Id3v2 the same bytes after the ID3v2 tag at the start;
// for Mp4Items the same media data boxes. Read in blocks of a mebibyte.
bool SameBesideTags(const OpenedFile& copy, const OpenedFile& player, RatingConvention convention);
