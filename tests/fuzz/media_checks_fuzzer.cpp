// libFuzzer target: a control byte, then a file as a player could hold it,
// for the checks made on a copy before the tag library reads it and for the
// comparison of a copy with the player's file. Bits 0-1 pick the check: the
// nesting of an MP4's boxes, the ID3v2 tag's compressed frames, or the
// bytes beside the tags of the two halves of the file as MP3s and as MP4s.
// None may crash, hang or read outside the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/copy_comparison.h"
#include "core/tag_safety.h"

namespace {

// The file as the checks read it: nothing outside it.
OpenedFile Opened(std::string_view bytes) {
    return OpenedFile{bytes.size(), [bytes](uint64_t offset, size_t length) {
                          return offset < bytes.size() ? std::string(bytes.substr(
                                                             static_cast<size_t>(offset), length))
                                                       : std::string();
                      }};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] & 3) {
        case 0:
            Mp4BoxesNestShallowly(Opened(file).Read, file.size());
            break;
        case 1:
            if (Id3v2TagLength(file.substr(0, 10)) <= file.size()) {
                Id3v2InflatesSanely(file);
            }
            break;
        default: {
            const OpenedFile copy = Opened(file.substr(0, file.size() / 2));
            const OpenedFile player = Opened(file.substr(file.size() / 2));
            SameBesideTags(copy, player, RatingConvention::Id3v2);
            SameBesideTags(copy, player, RatingConvention::Mp4Items);
            break;
        }
    }
    return 0;
}
