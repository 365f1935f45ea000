#include "copy_comparison.h"

#include <vector>

namespace {

constexpr size_t kBlock = size_t{1} << 20;

// A stretch of a file's bytes.
struct Range {
    uint64_t Start = 0;
    uint64_t Length = 0;
};

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
        const std::optional<Mp4Box> box = Mp4BoxAt(file.Read, at, file.Length);
        if (!box) {
            return std::nullopt;
        }
        if (box->Type == "mdat") {
            media.push_back({at + box->HeaderLength, box->Size - box->HeaderLength});
        }
        at += box->Size;
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

std::optional<OpenedFile> OpenedFileOf(std::unique_ptr<PlayerFile> file) {
    if (!file) {
        return std::nullopt;
    }
    const uint64_t length = file->Size();
    std::shared_ptr<PlayerFile> shared(std::move(file));
    return OpenedFile{length, [shared](uint64_t offset, size_t count) {
                          std::string bytes(count, '\0');
                          bytes.resize(ReadUpTo(*shared, offset, count,
                                                reinterpret_cast<uint8_t*>(bytes.data())));
                          return bytes;
                      }};
}
