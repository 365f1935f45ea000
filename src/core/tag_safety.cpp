#include "tag_safety.h"

#include <zlib.h>

#include <array>
#include <vector>

namespace {

uint32_t BigEndian32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

uint64_t BigEndian64(std::string_view bytes, size_t at) {
    return uint64_t{BigEndian32(bytes, at)} << 32 | BigEndian32(bytes, at + 4);
}

// The boxes the tag library descends into, and how many bytes come before
// their children.
struct ContainerBox {
    std::string_view Name;
    uint64_t ChildrenAt;
};
constexpr std::array<ContainerBox, 11> kContainers{{{"moov", 0},
                                                    {"udta", 0},
                                                    {"mdia", 0},
                                                    {"meta", 4},
                                                    {"ilst", 0},
                                                    {"stbl", 0},
                                                    {"minf", 0},
                                                    {"moof", 0},
                                                    {"traf", 0},
                                                    {"trak", 0},
                                                    {"stsd", 8}}};

const ContainerBox* ContainerNamed(std::string_view name) {
    for (const ContainerBox& box : kContainers) {
        if (box.Name == name) {
            return &box;
        }
    }
    return nullptr;
}

// What the streams of one tag may inflate to in all, so that a tag of many
// streams each just within the limit costs no more than a few.
constexpr size_t kMostInflatedInAll = 2 * kLargestInflatedFrame;

// Inflates the zlib stream at the start of `data` into `sink`, keeping none
// of it and taking what comes out from `allowance`; false once more than a
// frame's limit or the allowance would come out.
bool InflatesWithinLimit(std::string_view data, std::vector<unsigned char>& sink,
                         size_t& allowance) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return true;  // nothing can be tried; the tag library cannot inflate either
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    size_t inflated = 0;
    bool withinLimit = true;
    while (true) {
        stream.next_out = sink.data();
        stream.avail_out = static_cast<uInt>(sink.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        const size_t out = sink.size() - stream.avail_out;
        inflated += out;
        if (inflated > kLargestInflatedFrame || out > allowance) {
            withinLimit = false;
            break;
        }
        allowance -= out;
        if (result != Z_OK || stream.avail_in == 0) {
            break;  // the end of the stream, a fault, or no more input
        }
    }
    inflateEnd(&stream);
    return withinLimit;
}

bool EveryStreamInflatesWithinLimit(std::string_view bytes, size_t& allowance) {
    std::vector<unsigned char> sink(size_t{64} << 10);
    for (size_t at = 0; at + 2 <= bytes.size(); ++at) {
        const auto method = static_cast<uint8_t>(bytes[at]);
        const auto flags = static_cast<uint8_t>(bytes[at + 1]);
        // A zlib header: deflate with a window of 32 KiB at most, no preset
        // dictionary, and its check bits.
        const bool zlibHeader = (method & 0x0F) == 8 && (method >> 4) <= 7 && (flags & 0x20) == 0 &&
                                (method * 256 + flags) % 31 == 0;
        if (zlibHeader && !InflatesWithinLimit(bytes.substr(at), sink, allowance)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Mp4Box> Mp4BoxAt(const ReadFileBytes& read, uint64_t at, uint64_t end) {
    const std::string header = read(at, 16);
    if (header.size() < 8) {
        return std::nullopt;
    }
    Mp4Box box{header.substr(4, 4), BigEndian32(header, 0), 8};
    if (box.Size == 1) {
        if (header.size() < 16) {
            return std::nullopt;
        }
        box.Size = BigEndian64(header, 8);
        box.HeaderLength = 16;
    } else if (box.Size == 0) {
        box.Size = end - at;
    }
    if (box.Size < box.HeaderLength || box.Size > end - at) {
        return std::nullopt;
    }
    return box;
}

bool Mp4BoxesNestShallowly(const ReadFileBytes& read, uint64_t fileLength) {
    // The ends of the boxes being walked, outermost first, and where the
    // next box starts.
    std::vector<uint64_t> ends{fileLength};
    uint64_t at = 0;
    while (!ends.empty()) {
        if (at + 8 > ends.back()) {
            at = ends.back();
            ends.pop_back();
            continue;
        }
        const std::optional<Mp4Box> box = Mp4BoxAt(read, at, ends.back());
        if (!box) {
            // The file ends, or a box runs past its parent's end: nothing
            // after it in that parent is read as a box.
            at = ends.back();
            continue;
        }
        const ContainerBox* container = ContainerNamed(box->Type);
        if (container == nullptr || box->Size < box->HeaderLength + container->ChildrenAt) {
            at += box->Size;
            continue;
        }
        if (ends.size() > kDeepestMp4Boxes) {
            return false;
        }
        ends.push_back(at + box->Size);
        at += box->HeaderLength + container->ChildrenAt;
    }
    return true;
}

size_t Id3v2TagLength(std::string_view header) {
    if (header.size() < 10 || header.substr(0, 3) != "ID3") {
        return 0;
    }
    size_t length = 0;
    for (size_t i = 6; i < 10; ++i) {
        length = length << 7 | (static_cast<uint8_t>(header[i]) & 0x7F);
    }
    const bool footer = header[3] == 4 && (static_cast<uint8_t>(header[5]) & 0x10) != 0;
    return 10 + length + (footer ? 10 : 0);
}

bool Id3v2InflatesSanely(std::string_view tag) {
    size_t allowance = kMostInflatedInAll;
    if (!EveryStreamInflatesWithinLimit(tag, allowance)) {
        return false;
    }
    // Unsynchronisation puts a zero after every 0xFF that could be read as
    // a frame sync; the tag is read without them.
    if (tag.find(std::string_view("\xFF\0", 2)) == std::string_view::npos) {
        return true;
    }
    std::string resynchronised;
    resynchronised.reserve(tag.size());
    for (size_t i = 0; i < tag.size(); ++i) {
        resynchronised += tag[i];
        if (static_cast<uint8_t>(tag[i]) == 0xFF && i + 1 < tag.size() && tag[i + 1] == '\0') {
            ++i;
        }
    }
    return EveryStreamInflatesWithinLimit(resynchronised, allowance);
}
