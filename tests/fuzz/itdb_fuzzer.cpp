// libFuzzer target: a control byte, then a database file. The reader must
// return -1, 0 or a track count, never crash, hang, read out of bounds or
// allocate more than the input holds; every track it keeps must be readable,
// and every playlist member must be one of them.
//
// The control byte's bit 0 wraps the file in the compressed form first (its
// header as it is, the rest as a zlib stream at level bits 4-7 mod 10), so
// that mutations of the plain database reach the walk over the inflated
// stream; unwrapped files are read as they are, compressed ones among them,
// whose streams the mutations damage. Bits 1-3 pick a track limit of 0 to
// 6, or 7 for none.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_set>

#include "core/csv_format.h"
#include "core/itdbparser.h"
#include "itdb_builder.h"

namespace {

std::string ScratchFile() {
    return "/tmp/trackhaul-fuzz-" + std::to_string(getpid()) + ".itdb";
}

bool WriteScratch(const std::string& path, const itdb::Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The compressed form needs a header length that lies inside the file.
bool CanWrap(const itdb::Bytes& file) {
    if (file.size() < 12) {
        return false;
    }
    const int32_t headerLength = ITDBParser::ToInt32(file.data() + 4);
    return headerLength >= 12 && static_cast<size_t>(headerLength) <= file.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchFile();
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    itdb::Bytes file(data + 1, data + size);
    if ((control & 1) != 0 && CanWrap(file)) {
        file = itdb::CompressedDatabase(file, (control >> 4) % 10);
    }
    if (!WriteScratch(path, file)) {
        return 0;
    }
    const int32_t limitChoice = (control >> 1) & 7;
    ITDBParser parser(path);
    const int32_t result = parser.Parse(limitChoice == 7 ? -1 : limitChoice);
    int32_t walked = 0;
    std::unordered_set<const OneTrack*> tracks;
    for (parser.First(); parser.HasNext(); ++walked) {
        const OneTrack* track = parser.Next();
        (void)CsvTrackLine(*track);
        tracks.insert(track);
    }
    for (const Playlist& playlist : parser.Playlists()) {
        for (const OneTrack* member : playlist.Members) {
            if (tracks.count(member) == 0) {
                __builtin_trap();
            }
        }
    }
    if (result > 0 && walked != result) {
        __builtin_trap();
    }
    if (result <= 0 && walked != 0) {
        __builtin_trap();
    }
    return 0;
}
