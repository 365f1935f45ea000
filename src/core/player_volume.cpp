#include "player_volume.h"

#include <array>

#include "fat32_volume.h"
#include "hfs_plus_volume.h"

namespace {

constexpr uint32_t kSectorBytes = 512;
// More entries than any real map holds.
constexpr uint32_t kEntriesLimit = 256;

// A place of `count` blocks of `blockBytes` from block `first`, when it lies
// inside the source.
void AddPlace(std::vector<VolumePlace>& places, uint64_t first, uint64_t count, uint64_t blockBytes,
              uint64_t sourceSize) {
    const uint64_t blocks = sourceSize / blockBytes;
    if (count == 0 || first >= blocks) {
        return;
    }
    places.push_back({first * blockBytes, std::min(count, blocks - first) * blockBytes});
}

// The Mac's map: a driver descriptor ("ER", its block size) in block 0,
// then one entry ("PM") a block, the first saying how many there are.
void AddAppleMapPlaces(BlockSource& source, std::vector<VolumePlace>& places) {
    uint8_t descriptor[4];
    if (!source.ReadAt(0, sizeof descriptor, descriptor) || descriptor[0] != 'E' ||
        descriptor[1] != 'R') {
        return;
    }
    const uint32_t declared = BigEndian16(descriptor + 2);
    for (uint32_t blockBytes : {declared, kSectorBytes}) {
        if (blockBytes < kSectorBytes || blockBytes > 4096 ||
            (blockBytes & (blockBytes - 1)) != 0) {
            continue;
        }
        uint32_t entries = 1;
        for (uint32_t index = 1; index <= entries && index <= kEntriesLimit; ++index) {
            uint8_t entry[16];
            if (!source.ReadAt(uint64_t{index} * blockBytes, sizeof entry, entry) ||
                entry[0] != 'P' || entry[1] != 'M') {
                break;
            }
            entries = BigEndian32(entry + 4);
            AddPlace(places, BigEndian32(entry + 8), BigEndian32(entry + 12), blockBytes,
                     source.Size());
        }
        if (!places.empty()) {
            return;
        }
    }
}

// A GUID partition table: its header in the second block ("EFI PART"),
// where its entries are, how many, how long each is.
void AddGuidTablePlaces(BlockSource& source, std::vector<VolumePlace>& places) {
    for (uint64_t blockBytes : {512, 4096}) {
        uint8_t header[92];
        if (!source.ReadAt(blockBytes, sizeof header, header) ||
            std::string_view(reinterpret_cast<const char*>(header), 8) != "EFI PART") {
            continue;
        }
        const uint64_t entriesBlock = LittleEndian64(header + 72);
        const uint32_t count = std::min(LittleEndian32(header + 80), kEntriesLimit);
        const uint32_t entryBytes = LittleEndian32(header + 84);
        if (entryBytes < 128 || entryBytes > 1024 || entriesBlock >= source.Size() / blockBytes) {
            return;
        }
        std::vector<uint8_t> entry(entryBytes);
        for (uint32_t index = 0; index < count; ++index) {
            if (!source.ReadAt(entriesBlock * blockBytes + uint64_t{index} * entryBytes, entryBytes,
                               entry.data())) {
                return;
            }
            const uint64_t first = LittleEndian64(&entry[32]);
            const uint64_t last = LittleEndian64(&entry[40]);
            if (last >= first) {
                AddPlace(places, first, last - first + 1, blockBytes, source.Size());
            }
        }
        return;
    }
}

// A PC's master boot record: four entries at 446, the signature at 510.
void AddBootRecordPlaces(BlockSource& source, std::vector<VolumePlace>& places) {
    std::array<uint8_t, kSectorBytes> record{};
    if (!source.ReadAt(0, record.size(), record.data()) || record[510] != 0x55 ||
        record[511] != 0xAA) {
        return;
    }
    for (size_t at = 446; at < 510; at += 16) {
        const uint8_t status = record[at];
        const uint8_t type = record[at + 4];
        if ((status == 0x00 || status == 0x80) && type != 0 && type != 0xEE) {
            AddPlace(places, LittleEndian32(&record[at + 8]), LittleEndian32(&record[at + 12]),
                     kSectorBytes, source.Size());
        }
    }
}

std::unique_ptr<PlayerFiles> OpenVolume(const std::shared_ptr<BlockSource>& source,
                                        const VolumePlace& place) {
    if (auto mac = HfsPlusVolume::Open(source, place.Start, place.Length)) {
        return mac;
    }
    return Fat32Volume::Open(source, place.Start, place.Length);
}

}  // namespace

std::vector<VolumePlace> VolumePlaces(BlockSource& source) {
    std::vector<VolumePlace> places;
    AddAppleMapPlaces(source, places);
    if (places.empty()) {
        AddGuidTablePlaces(source, places);
    }
    if (places.empty()) {
        AddBootRecordPlaces(source, places);
    }
    places.push_back({0, source.Size()});
    return places;
}

std::unique_ptr<PlayerFiles> OpenPlayerVolume(std::shared_ptr<BlockSource> source) {
    for (const VolumePlace& place : VolumePlaces(*source)) {
        std::unique_ptr<PlayerFiles> volume = OpenVolume(source, place);
        if (volume && volume->ListFolder(u"iPod_Control")) {
            return volume;
        }
    }
    return nullptr;
}

std::optional<std::u16string_view> NamedVolume::Inside(std::u16string_view path) const {
    if (path.size() < wideName_.size() || path.substr(0, wideName_.size()) != wideName_ ||
        (path.size() > wideName_.size() && path[wideName_.size()] != u'\\' &&
         path[wideName_.size()] != u'/')) {
        return std::nullopt;
    }
    return path.substr(wideName_.size());
}

std::unique_ptr<PlayerFile> NamedVolume::Open(std::u16string_view path) {
    const std::optional<std::u16string_view> inside = Inside(path);
    return inside ? volume_->Open(*inside) : nullptr;
}

std::optional<std::vector<PlayerFileEntry>> NamedVolume::ListFolder(std::u16string_view path) {
    const std::optional<std::u16string_view> inside = Inside(path);
    return inside ? volume_->ListFolder(*inside) : std::nullopt;
}
