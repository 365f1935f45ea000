#include "artwork_builder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace artwork {

using itdb::operator+;
using itdb::operator+=;

namespace {

void Put16(Bytes& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// A record: its tag, header length and, unless it has none, total length.
Bytes Record(const char* tag, size_t headerLength, const Bytes& body, bool total = true) {
    Bytes record(headerLength, 0);
    std::memcpy(record.data(), tag, 4);
    Patch32(record, 4, static_cast<uint32_t>(headerLength));
    if (total) {
        Patch32(record, 8, static_cast<uint32_t>(headerLength + body.size()));
    }
    return record + body;
}

uint16_t ToRgb565(uint32_t rgb) {
    return static_cast<uint16_t>((rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 |
                                 (rgb >> 3 & 0x1F));
}

// The picture at its paddings, the rest of the frame magenta.
Bytes Frame(const StoredSize& size) {
    const int32_t rowBytes = size.side * 2 + size.rowPadding;
    Bytes frame(static_cast<size_t>(rowBytes) * size.side, 0);
    const int32_t left = std::max<int32_t>(size.horizontalPadding, 0);
    const int32_t top = std::max<int32_t>(size.verticalPadding, 0);
    for (int32_t y = 0; y < size.side; ++y) {
        for (int32_t x = 0; x < size.side; ++x) {
            const int32_t px = x - left;
            const int32_t py = y - top;
            const bool inside =
                px >= 0 && py >= 0 && px < size.image.width && py < size.image.height;
            const uint16_t value =
                inside
                    ? ToRgb565(size.image.pixels[static_cast<size_t>(py * size.image.width + px)])
                    : 0xF81F;
            const size_t at = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 2;
            Put16(frame, at,
                  size.bigEndian ? static_cast<uint16_t>(value << 8 | value >> 8) : value);
        }
    }
    return frame;
}

// A string object: a file name (type 3, ASCII in UTF-16LE or UTF-8) or an
// album's name (type 1, in UTF-16LE).
Bytes NameObject(const std::string& name, uint8_t encoding) {
    Bytes text;
    for (const char c : name) {
        text.push_back(static_cast<uint8_t>(c));
        if (encoding == 2) {
            text.push_back(0);
        }
    }
    Bytes fields(12, 0);
    Patch32(fields, 0, static_cast<uint32_t>(text.size()));
    fields[4] = encoding;
    Bytes object = Record("mhod", 24, fields + text);
    Put16(object, 12, 3);
    return object;
}

Bytes NameObject(const std::u16string& name, uint16_t type) {
    Bytes text;
    for (const char16_t unit : name) {
        text.push_back(static_cast<uint8_t>(unit));
        text.push_back(static_cast<uint8_t>(unit >> 8));
    }
    Bytes fields(12, 0);
    Patch32(fields, 0, static_cast<uint32_t>(text.size()));
    fields[4] = 2;
    Bytes object = Record("mhod", 24, fields + text);
    Put16(object, 12, type);
    return object;
}

Bytes StoredSizeObject(const StoredSize& size, const std::string& fileName, uint32_t offset,
                       uint32_t byteCount) {
    Bytes mhni =
        Record("mhni", 76, NameObject(size.fileName.value_or(fileName), size.nameEncoding));
    Patch32(mhni, 12, 1);
    Patch32(mhni, 16, size.formatId);
    Patch32(mhni, 20, offset);
    Patch32(mhni, 24, byteCount);
    Put16(mhni, 28, static_cast<uint16_t>(size.verticalPadding));
    Put16(mhni, 30, static_cast<uint16_t>(size.horizontalPadding));
    Put16(mhni, 32, static_cast<uint16_t>(size.image.height + std::abs(size.verticalPadding)));
    Put16(mhni, 34, static_cast<uint16_t>(size.image.width + std::abs(size.horizontalPadding)));
    Bytes object = Record("mhod", 24, mhni);
    Put16(object, 12, 2);
    return object;
}

}  // namespace

Image SolidImage(int32_t width, int32_t height, uint32_t rgb) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), rgb)};
}

Image TestImage(int32_t width, int32_t height, uint32_t seed) {
    Image image = SolidImage(width, height, 0);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const auto x = static_cast<uint32_t>(i % width);
        const auto y = static_cast<uint32_t>(i / width);
        image.pixels[i] =
            x * 255 / width << 16 | y * 255 / height << 8 | (x / 8 + y / 8 + seed) % 2 * 200;
    }
    return image;
}

StoredSize Stored(uint32_t formatId, int32_t side, Image image) {
    StoredSize size;
    size.formatId = formatId;
    size.side = side;
    size.image = std::move(image);
    return size;
}

uint32_t Rgb565Rounded(uint32_t rgb) {
    const uint16_t value = ToRgb565(rgb);
    const uint32_t red = value >> 11;
    const uint32_t green = value >> 5 & 0x3F;
    const uint32_t blue = value & 0x1F;
    return (red << 3 | red >> 2) << 16 | (green << 2 | green >> 4) << 8 | (blue << 3 | blue >> 2);
}

Store BuildStore(const std::vector<Entry>& entries, const std::vector<Album>& albums) {
    Store store;
    Bytes images;
    for (const Entry& entry : entries) {
        Bytes children;
        for (const StoredSize& size : entry.sizes) {
            const std::string name = "F" + std::to_string(size.formatId) + "_1.ithmb";
            Bytes& file = store.files[name];
            if (size.shared) {
                children +=
                    StoredSizeObject(size, ":" + name, size.shared->offset, size.shared->byteCount);
                continue;
            }
            const Bytes frame = size.frameBytes ? *size.frameBytes : Frame(size);
            children += StoredSizeObject(size, ":" + name, static_cast<uint32_t>(file.size()),
                                         static_cast<uint32_t>(frame.size()));
            file += frame;
        }
        Bytes mhii = Record("mhii", 152, children);
        Patch32(mhii, 12, static_cast<uint32_t>(entry.sizes.size()));
        Patch32(mhii, 16, entry.imageId);
        Patch32(mhii, 20, static_cast<uint32_t>(entry.songId));
        Patch32(mhii, 24, static_cast<uint32_t>(entry.songId >> 32));
        images += mhii;
    }
    Bytes imageList = Record("mhli", 92, {}, false);
    Patch32(imageList, 8, static_cast<uint32_t>(entries.size()));
    Bytes imageSet = Record("mhsd", 96, imageList + images);
    Put16(imageSet, 12, 1);
    Bytes albumList = Record("mhla", 92, {}, false);
    Patch32(albumList, 8, static_cast<uint32_t>(albums.size()));
    for (const Album& album : albums) {
        Bytes members;
        for (const uint32_t member : album.members) {
            Bytes mhia = Record("mhia", 40, {});
            Patch32(mhia, 16, member);
            members += mhia;
        }
        Bytes mhba = Record("mhba", 148, NameObject(album.name, 1) + members);
        Patch32(mhba, 12, 1);
        Patch32(mhba, 16, static_cast<uint32_t>(album.members.size()));
        mhba[30] = album.type;
        albumList += mhba;
    }
    Bytes albumSet = Record("mhsd", 96, albumList);
    Put16(albumSet, 12, 2);
    store.database = Record("mhfd", 132, imageSet + albumSet);
    Patch32(store.database, 20, 2);
    return store;
}

bool WriteStore(const std::string& folder, const Store& store, const std::string& databaseName) {
    bool written = itdb::WriteFile(folder + databaseName, store.database);
    for (const auto& [name, bytes] : store.files) {
        written = itdb::WriteFile(folder + name, bytes) && written;
    }
    return written;
}

size_t TagOffset(const Bytes& bytes, const char* tag, size_t nth) {
    for (size_t at = 0; at + 4 <= bytes.size(); ++at) {
        if (std::memcmp(bytes.data() + at, tag, 4) == 0 && nth-- == 0) {
            return at;
        }
    }
    return bytes.size();
}

void Patch32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace artwork
