// libFuzzer target: a disk as a player's could be, imaged. The partition
// maps are searched, the player's volume opened, and every folder listed
// and every file read, as trackhaul-dump --files and a copy would. None may
// crash, hang or read outside the disk.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/player_volume.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto disk = std::make_shared<MemoryBlockSource>(std::vector<uint8_t>(data, data + size));
    std::unique_ptr<PlayerFiles> volume = OpenPlayerVolume(disk);
    if (!volume) {
        return 0;
    }
    // Folders from a list, not by recursion; a bounded number of them.
    std::vector<std::u16string> folders{u""};
    std::vector<uint8_t> bytes;
    for (size_t seen = 0; !folders.empty() && seen < 256; ++seen) {
        const std::u16string folder = folders.back();
        folders.pop_back();
        for (const PlayerFileEntry& entry :
             volume->ListFolder(folder).value_or(std::vector<PlayerFileEntry>{})) {
            const std::u16string path = folder + u"/" + entry.Name;
            if (entry.IsFolder) {
                folders.push_back(path);
            } else if (std::unique_ptr<PlayerFile> file = volume->Open(path)) {
                bytes.resize(static_cast<size_t>(std::min<uint64_t>(file->Size(), 1 << 20)));
                file->ReadAt(0, bytes.size(), bytes.data());
            }
        }
    }
    return 0;
}
