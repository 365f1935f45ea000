#include "copy_comparison.h"

#include <vector>

namespace {

constexpr size_t kBlock = size_t{1} << 20;

// A stretch of a file's bytes.
struct Range {
    uint64_t Start = 0;
    uint64_t Length = 0;
};

uint64_t BigEndian(const std::string& bytes, size_t at, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

bool SameBytes(const OpenedFile& a, Range inA, const OpenedFile& b, Range inB) {
    if (inA.Length != inB.Length) {
        return false;
    }
    for (uint64_t done = 0; done < inA.Length;) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(kBlock, inA.Length - done));
        const std::string blockA = a.Read(inA.Start + done, size);
        if (blockA.size() != size || blockA != b.Read(inB.Start + done, size)) {
            return false;
        }
        done += size;
    }
    return true;
}

// The contents of the top-level media data boxes of an MP4 file, in their
// order; nothing when its boxes do not fill it exactly.
std::optional<std::vector<Range>> MediaData(const OpenedFile& file) {
    std::vector<Range> media;
    for (uint64_t at = 0; at < file.Length;) {
        const std::string header = file.Read(at, 16);
        if (header.size() < 8) {
            return std::nullopt;
        }
        uint64_t size = BigEndian(header, 0, 4);
        uint64_t headerLength = 8;
        if (size == 1 && header.size() == 16) {
            size = BigEndian(header, 8, 8);
            headerLength = 16;
        } else if (size == 0) {
            size = file.Length - at;
        }
        if (size < headerLength || size > file.Length - at) {
            return std::nullopt;
        }
        if (header.compare(4, 4, "mdat") == 0) {
            media.push_back({at + headerLength, size - headerLength});
        }
        at += size;
    }
    return media;
}

}  // namespace

bool SameBesideTags(const OpenedFile& copy, const OpenedFile& player, RatingConvention convention) {
    if (convention == RatingConvention::Id3v2) {
        const uint64_t copyTag = Id3v2TagLength(copy.Read(0, 10));
        const uint64_t playerTag = Id3v2TagLength(player.Read(0, 10));
        return copyTag <= copy.Length && playerTag <= player.Length &&
               SameBytes(copy, {copyTag, copy.Length - copyTag}, player,
                         {playerTag, player.Length - playerTag});
    }
    if (convention != RatingConvention::Mp4Items) {
        return false;
    }
    const auto copyMedia = MediaData(copy);
    const auto playerMedia = MediaData(player);
    if (!copyMedia || !playerMedia || copyMedia->empty() ||
        copyMedia->size() != playerMedia->size()) {
        return false;
    }
    for (size_t i = 0; i < copyMedia->size(); ++i) {
        if (!SameBytes(copy, (*copyMedia)[i], player, (*playerMedia)[i])) {
            return false;
        }
    }
    return true;
}
