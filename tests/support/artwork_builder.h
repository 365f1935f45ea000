// Builds the player's artwork store byte by byte: the ArtworkDB and the
// .ithmb files it points into. A test of damage changes the bytes.
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

// Gradients and checks that show a mistake of offset, order or endianness.
Image TestImage(int32_t width, int32_t height, uint32_t seed = 0);
Image SolidImage(int32_t width, int32_t height, uint32_t rgb);
// The colour a pixel shows once stored as RGB565 and widened again.
uint32_t Rgb565Rounded(uint32_t rgb);

// One stored size: a `side` × `side` frame in the file of its format,
// ":F<format>_1.ithmb", with the picture at the paddings.
struct StoredSize {
    uint32_t formatId = 1060;
    int32_t side = 320;
    Image image;
    int16_t horizontalPadding = 0;
    int16_t verticalPadding = 0;
    int32_t rowPadding = 0;  // bytes after each row
    bool bigEndian = false;
    std::optional<std::string> fileName;  // what the store calls the file
    uint8_t nameEncoding = 2;             // 2 UTF-16LE, 1 UTF-8
    // The frame's bytes as they are, for the formats that are not square
    // RGB565 (the photos' TV-out frames); the image then only gives the size.
    std::optional<Bytes> frameBytes;
    // Where in its file the frame lies, and its byte count, when another
    // entry wrote it already: it is then not written again.
    struct SharedFrame {
        uint32_t offset = 0;
        uint32_t byteCount = 0;
    };
    std::optional<SharedFrame> shared;
};
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
// An album of the photo albums: its name, type (1 the whole library) and
// members by image id.
struct Album {
    std::u16string name;
    uint8_t type = 2;
    std::vector<uint32_t> members;
};

// The image list of the entries, then the album list; written into a
// folder given as a path and its separator. The photo albums of a player
// are such a store named "Photo Database" in its Photos folder.
Store BuildStore(const std::vector<Entry>& entries, const std::vector<Album>& albums = {});
bool WriteStore(const std::string& folder, const Store& store,
                const std::string& databaseName = "ArtworkDB");

// The offset of the `nth` (from 0) record tagged `tag`.
size_t TagOffset(const Bytes& bytes, const char* tag, size_t nth = 0);
void Patch32(Bytes& bytes, size_t offset, uint32_t value);

}  // namespace artwork
