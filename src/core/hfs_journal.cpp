#include "hfs_journal.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr uint32_t kJournaledVolume = 0x2000;
constexpr uint32_t kJournalInVolume = 0x1;
constexpr uint32_t kMagic = 0x4A4E4C78;  // "JNLx"
constexpr uint32_t kEndianMark = 0x12345678;
// More than any journal a Mac makes.
constexpr uint64_t kJournalLimit = 512ull << 20;
constexpr uint64_t kSkippedBlock = ~0ull;

// The journal's own numbers are in the byte order of the Mac that wrote it.
struct JournalNumbers {
    bool BigEndian = true;
    uint32_t U16(const uint8_t* at) const {
        return BigEndian ? BigEndian16(at) : LittleEndian16(at);
    }
    uint32_t U32(const uint8_t* at) const {
        return BigEndian ? BigEndian32(at) : LittleEndian32(at);
    }
    uint64_t U64(const uint8_t* at) const {
        return BigEndian ? BigEndian64(at) : LittleEndian64(at);
    }
};

// The journal: a ring of `size` bytes at `start` on the source, whose first
// `headerBytes` hold its header and are never part of the ring.
class JournalRing {
public:
    JournalRing(BlockSource& source, uint64_t start, uint64_t size, uint64_t headerBytes)
        : source_(source), start_(start), size_(size), headerBytes_(headerBytes) {}

    // Reads `count` bytes at ring position `position`, going round at the end.
    bool Read(uint64_t position, size_t count, uint8_t* destination) const {
        while (count > 0) {
            if (position >= size_) {
                position = headerBytes_ + (position - size_);
            }
            const size_t part = static_cast<size_t>(std::min<uint64_t>(count, size_ - position));
            if (!source_.ReadAt(start_ + position, part, destination)) {
                return false;
            }
            position += part;
            destination += part;
            count -= part;
        }
        return true;
    }
    uint64_t Advance(uint64_t position, uint64_t by) const {
        position += by;
        return position >= size_ ? headerBytes_ + (position - size_) : position;
    }

private:
    BlockSource& source_;
    uint64_t start_, size_, headerBytes_;
};

// Lays the blocks of every transaction between the journal's start and end
// into `sectors`, later ones over earlier ones; false when anything there
// does not add up.
bool ReplayInto(const JournalRing& ring, const JournalNumbers& numbers, uint64_t start,
                uint64_t end, uint64_t size, uint32_t listBytes, uint32_t sectorBytes,
                uint64_t volumeStart, uint64_t volumeBytes,
                std::map<uint64_t, std::vector<uint8_t>>& sectors) {
    std::vector<uint8_t> list(listBytes);
    uint64_t position = start;
    for (uint64_t walked = 0; position != end;) {
        if (!ring.Read(position, listBytes, list.data())) {
            return false;
        }
        const uint32_t entries = numbers.U16(&list[2]);
        const uint64_t used = numbers.U32(&list[4]);
        walked += used;
        if (entries == 0 || 16 + uint64_t{entries} * 16 > listBytes || used < listBytes ||
            walked > size) {
            return false;
        }
        uint64_t dataAt = listBytes;
        for (uint32_t entry = 1; entry < entries; ++entry) {
            const uint8_t* info = &list[16 + entry * 16];
            const uint64_t sector = numbers.U64(info);
            const uint32_t length = numbers.U32(info + 8);
            if (length % sectorBytes != 0 || dataAt + length > used) {
                return false;
            }
            if (sector != kSkippedBlock) {
                if (sector >= volumeBytes / sectorBytes ||
                    length > volumeBytes - sector * sectorBytes) {
                    return false;
                }
                for (uint32_t at = 0; at < length; at += sectorBytes) {
                    std::vector<uint8_t>& bytes = sectors[volumeStart + sector * sectorBytes + at];
                    bytes.resize(sectorBytes);
                    if (!ring.Read(ring.Advance(position, dataAt + at), sectorBytes,
                                   bytes.data())) {
                        return false;
                    }
                }
            }
            dataAt += length;
        }
        position = ring.Advance(position, used);
    }
    return true;
}

}  // namespace

std::shared_ptr<BlockSource> WithJournalReplayed(std::shared_ptr<BlockSource> source,
                                                 uint64_t volumeStart, const uint8_t* volumeHeader,
                                                 uint32_t blockSize) {
    const uint32_t attributes = BigEndian32(volumeHeader + 4);
    const uint32_t infoBlock = BigEndian32(volumeHeader + 12);
    const uint64_t volumeBytes = uint64_t{BigEndian32(volumeHeader + 44)} * blockSize;
    uint8_t info[52];
    if ((attributes & kJournaledVolume) == 0 || infoBlock == 0 ||
        !source->ReadAt(volumeStart + uint64_t{infoBlock} * blockSize, sizeof info, info) ||
        (BigEndian32(info) & kJournalInVolume) == 0) {
        return source;
    }
    const uint64_t journalStart = BigEndian64(info + 36);
    const uint64_t journalSize = BigEndian64(info + 44);
    uint8_t header[44];
    if (journalSize > kJournalLimit || journalStart > volumeBytes ||
        journalSize > volumeBytes - journalStart ||
        !source->ReadAt(volumeStart + journalStart, sizeof header, header)) {
        return source;
    }
    JournalNumbers numbers;
    numbers.BigEndian = BigEndian32(header) == kMagic;
    if (numbers.U32(header) != kMagic || numbers.U32(header + 4) != kEndianMark) {
        return source;
    }
    const uint64_t start = numbers.U64(header + 8);
    const uint64_t end = numbers.U64(header + 16);
    const uint64_t size = numbers.U64(header + 24);
    const uint32_t listBytes = numbers.U32(header + 32);
    const uint32_t sectorBytes = numbers.U32(header + 40);
    if (start == end || sectorBytes < 512 || sectorBytes > 65536 ||
        (sectorBytes & (sectorBytes - 1)) != 0 || size != journalSize || size <= sectorBytes ||
        start < sectorBytes || start >= size || end < sectorBytes || end >= size ||
        listBytes < 32 || listBytes > size - sectorBytes) {
        return source;
    }
    const JournalRing ring(*source, volumeStart + journalStart, size, sectorBytes);
    std::map<uint64_t, std::vector<uint8_t>> sectors;
    if (!ReplayInto(ring, numbers, start, end, size, listBytes, sectorBytes, volumeStart,
                    volumeBytes, sectors)) {
        return source;
    }
    return std::make_shared<OverlaidSource>(source, sectorBytes, std::move(sectors));
}

bool OverlaidSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (!base_->ReadAt(offset, count, destination)) {
        return false;
    }
    const uint64_t end = offset + count;
    auto sector = sectors_.lower_bound(offset >= sectorBytes_ ? offset - sectorBytes_ + 1 : 0);
    for (; sector != sectors_.end() && sector->first < end; ++sector) {
        const uint64_t from = std::max(offset, sector->first);
        const uint64_t to = std::min(end, sector->first + sectorBytes_);
        if (from < to) {
            std::memcpy(destination + (from - offset),
                        sector->second.data() + (from - sector->first),
                        static_cast<size_t>(to - from));
        }
    }
    return true;
}
