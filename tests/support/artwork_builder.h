// Builds the player's artwork store byte by byte: the ArtworkDB and the
// .ithmb files of frames it points into, so that every test states exactly
// the pictures it reads. Lengths and counts are filled in to match; a test
// that describes a damaged store changes them in the bytes (Patch32).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "itdb_builder.h"

namespace artwork {

using itdb::Bytes;

// A picture: 0xRRGGBB per pixel, rows from the top.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// A picture of a few colour bands that any mistake of offset, row, order
// or endianness shows.
Image TestImage(int32_t width, int32_t height, uint32_t seed = 0);
// A picture of one colour.
Image SolidImage(int32_t width, int32_t height, uint32_t rgb);

// The colour a pixel shows once stored as RGB565 and widened again, each
// channel's high bits repeated below.
uint32_t Rgb565Rounded(uint32_t rgb);

// One stored size of a picture: a frame of `side` × `side` pixels in the
// file of its format, with the picture placed at the paddings.
struct StoredSize {
    uint32_t formatId = 1060;
    int32_t side = 320;
    Image image;
    int16_t horizontalPadding = 0;
    int16_t verticalPadding = 0;
    int32_t rowPadding = 0;  // bytes after each row
    bool bigEndian = false;
    // What the store names the frame's file; it is ":F<format>_1.ithmb"
    // whatever the store says.
    std::optional<std::string> fileName;
    uint8_t nameEncoding = 2;  // 2 UTF-16LE, 1 UTF-8
    // What the store declares instead of the truth, for damaged stores.
    std::optional<uint32_t> offset;
    std::optional<uint32_t> byteCount;
    std::optional<uint16_t> width;
    std::optional<uint16_t> height;
};

// A stored size of `side` with the picture at its top left corner.
StoredSize Stored(uint32_t formatId, int32_t side, Image image);

struct Entry {
    uint32_t imageId = 0;
    uint64_t songId = 0;
    std::vector<StoredSize> sizes;
};

struct Store {
    Bytes database;                      // ArtworkDB
    std::map<std::string, Bytes> files;  // .ithmb files by name
};

// The store of the entries, in order: the image list, an empty album list
// and the file list, as players write them.
Store BuildStore(const std::vector<Entry>& entries);

// Writes the store into `folder` (which must exist; a path and '/'):
// ArtworkDB and the files. False when a file cannot be written.
bool WriteStore(const std::string& folder, const Store& store);

// The offset of the `nth` (from 0) record tagged `tag` in the bytes.
size_t TagOffset(const Bytes& bytes, const char* tag, size_t nth = 0);
void Patch32(Bytes& bytes, size_t offset, uint32_t value);

}  // namespace artwork
