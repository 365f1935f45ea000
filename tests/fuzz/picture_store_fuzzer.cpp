// libFuzzer target: a control byte, then a picture store: the album covers'
// ArtworkDB (bit 0 clear) or the Photo Database (bit 0 set). The readers
// must never crash, hang, read out of bounds or keep more than their budget
// (bits 1-7 set it, in KiB); every picture they keep loads at the size
// they give, or not at all.
//
// Whatever .ithmb file the store names among the formats players use, in
// the folder or its Thumbs folder, is there: empty files of 4 MiB, made once.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/artwork_db.h"
#include "core/photo_db.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kFormats[] = {1009, 1013, 1015, 1016, 1017, 1019, 1023, 1024, 1027, 1028,
                                 1029, 1031, 1032, 1036, 1055, 1056, 1060, 1061, 1066, 1067,
                                 1068, 1071, 1074, 1078, 1079, 1081, 1083, 1087, 9999};
// Loading every picture of a large store would make each run slow.
constexpr int32_t kMostLoaded = 2;

// The scratch folder, with its .ithmb files; empty on failure.
std::string MakeStoreFolder() {
    const fs::path folder = "/tmp/trackhaul-fuzz-stores-" + std::to_string(getpid());
    std::error_code error;
    fs::create_directories(folder / "Thumbs", error);
    for (const uint32_t format : kFormats) {
        const std::string name = "F" + std::to_string(format) + "_1.ithmb";
        for (const fs::path& file : {folder / name, folder / "Thumbs" / name}) {
            std::FILE* created = std::fopen(file.c_str(), "wb");
            if (created == nullptr) {
                return {};
            }
            std::fclose(created);
            fs::resize_file(file, 4u << 20, error);
        }
    }
    return error ? std::string() : folder.string() + "/";
}

bool WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Each of the first pictures loads at the size the index gives, or not at all.
template <typename Index, typename Usable>
void LoadSome(const Index& index, Usable usable) {
    const auto count = static_cast<int32_t>(std::min<size_t>(index.Count(), kMostLoaded));
    for (int32_t number = 0; number < count; ++number) {
        if (!usable(number)) {
            continue;
        }
        const std::optional<Picture> picture = index.Load(number);
        if (picture &&
            (picture->Width != index.Width(number) || picture->Height != index.Height(number) ||
             picture->Pixels.size() != size_t(picture->Width) * size_t(picture->Height))) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = MakeStoreFolder();
    if (size == 0 || folder.empty()) {
        return 0;
    }
    const bool photos = (data[0] & 1) != 0;
    const std::string database = folder + (photos ? "Photo Database" : "ArtworkDB");
    if (!WriteScratch(database, data + 1, size - 1)) {
        return 0;
    }
    MemoryBudget budget(size_t{(data[0] >> 1) + 1u} << 10);
    if (photos) {
        PhotoIndex index;
        index.Read(folder, budget);
        LoadSome(index, [&index](int32_t number) { return index.HasPicture(number); });
        for (const PhotoIndex::Album& album : index.Albums()) {
            for (const int32_t member : album.Photos) {
                if (member < 0 || size_t(member) >= index.Count()) {
                    __builtin_trap();
                }
            }
        }
    } else {
        ArtworkIndex index;
        index.Read(folder, budget);
        LoadSome(index, [](int32_t) { return true; });
    }
    std::remove(database.c_str());
    return 0;
}
