// libFuzzer target: any bytes as a database file. The reader must return
// -1, 0 or a track count, never crash, hang, read out of bounds or allocate
// more than the file could hold; every track it keeps must be readable.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/csv_format.h"
#include "core/itdbparser.h"

namespace {

std::string ScratchFile() {
    return "/tmp/trackhaul-fuzz-" + std::to_string(getpid()) + ".itdb";
}

bool WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchFile();
    if (!WriteScratch(path, data, size)) {
        return 0;
    }
    // The first byte, when present, also picks a track limit.
    const int32_t limit = size > 0 && data[0] % 4 == 0 ? data[0] % 7 : -1;
    ITDBParser parser(path);
    const int32_t result = parser.Parse(limit);
    int32_t walked = 0;
    for (parser.First(); parser.HasNext(); ++walked) {
        (void)CsvTrackLine(*parser.Next());
    }
    if (result > 0 && walked != result) {
        __builtin_trap();
    }
    if (result <= 0 && walked != 0) {
        __builtin_trap();
    }
    return 0;
}
