#include "fat32_volume.h"

#include <algorithm>
#include <array>

#include "player_time.h"
#include "volume_names.h"

namespace {

constexpr size_t kEntryBytes = 32;
constexpr uint8_t kAttributeLongName = 0x0F;
constexpr uint8_t kAttributeFolder = 0x10;
constexpr uint8_t kAttributeLabel = 0x08;
constexpr uint32_t kFirstCluster = 2;
constexpr uint32_t kEndOfChain = 0x0FFFFFF8;
// A folder holds at most 65,536 entries.
constexpr uint64_t kFolderBytesLimit = 65536 * kEntryBytes;
// The table is read in windows of this many bytes: a file's chain mostly
// runs through one.
constexpr size_t kTableWindowBytes = 64 * 1024;

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// A short name's bytes as text: ASCII as it stands, lower case where the
// entry says so, others (a code page's letters) as U+FFFD.
std::u16string ShortName(const uint8_t* entry) {
    const uint8_t caseFlags = entry[12];
    auto part = [](const uint8_t* bytes, size_t length, bool lower) {
        std::u16string text;
        for (size_t i = 0; i < length; ++i) {
            uint8_t byte = i == 0 && bytes[0] == 0x05 ? 0xE5 : bytes[i];
            if (byte >= 0x80) {
                text.push_back(u'\uFFFD');
            } else {
                text.push_back(lower && byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            }
        }
        while (!text.empty() && text.back() == u' ') {
            text.pop_back();
        }
        return text;
    };
    std::u16string name = part(entry, 8, (caseFlags & 0x08) != 0);
    std::u16string extension = part(entry + 8, 3, (caseFlags & 0x10) != 0);
    return extension.empty() ? name : name + u"." + extension;
}

// An entry's date and time of writing: the local time of the machine that
// wrote it, to two seconds, from 1980.
std::optional<WrittenTime> WrittenTimeOf(uint16_t date, uint16_t time) {
    const int year = 1980 + (date >> 9), month = (date >> 5) & 0xF, day = date & 0x1F;
    const int hour = time >> 11, minute = (time >> 5) & 0x3F, second = (time & 0x1F) * 2;
    if (date == 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    return WrittenTime{UnixSeconds(CivilTime{year, month, day, hour, minute, second}), true};
}

// A volume label: eleven bytes, like a short name without its dot.
std::u16string VolumeLabel(const uint8_t* bytes) {
    uint8_t entry[kEntryBytes] = {};
    std::copy(bytes, bytes + 11, entry);
    std::u16string name = ShortName(entry);
    const size_t dot = name.find(u'.');
    return dot == std::u16string::npos ? name : name.erase(dot, 1);
}

uint8_t ShortNameChecksum(const uint8_t* entry) {
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i) {
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + entry[i]);
    }
    return sum;
}

// A long name gathered from the entries before a short one, last part first.
class LongName {
public:
    void Take(const uint8_t* entry) {
        const uint8_t order = entry[0];
        const int sequence = order & 0x1F;
        if ((order & 0x40) != 0) {
            parts_.assign(sequence, {});
            checksum_ = entry[13];
            expected_ = sequence;
        }
        if (sequence == 0 || sequence != expected_ || entry[13] != checksum_) {
            Forget();
            return;
        }
        std::u16string& part = parts_[sequence - 1];
        for (size_t at : {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30}) {
            part.push_back(static_cast<char16_t>(LittleEndian16(entry + at)));
        }
        --expected_;
    }

    // The name for the short entry that follows, when the parts belong to it.
    std::optional<std::u16string> For(const uint8_t* shortEntry) {
        std::optional<std::u16string> name;
        if (!parts_.empty() && expected_ == 0 && ShortNameChecksum(shortEntry) == checksum_) {
            name.emplace();
            for (const std::u16string& part : parts_) {
                *name += part;
            }
            const size_t end = name->find(u'\0');
            if (end != std::u16string::npos) {
                name->resize(end);
            }
        }
        Forget();
        return name;
    }

    void Forget() {
        parts_.clear();
        expected_ = -1;
    }

private:
    std::vector<std::u16string> parts_;
    uint8_t checksum_ = 0;
    int expected_ = -1;
};

}  // namespace

std::unique_ptr<Fat32Volume> Fat32Volume::Open(std::shared_ptr<BlockSource> source, uint64_t start,
                                               uint64_t length) {
    std::array<uint8_t, 512> boot{};
    if (length < boot.size() || !source->ReadAt(start, boot.size(), boot.data()) ||
        boot[510] != 0x55 || boot[511] != 0xAA) {
        return nullptr;
    }
    const uint32_t sectorBytes = LittleEndian16(&boot[11]);
    const uint32_t sectorsPerCluster = boot[13];
    const uint32_t reservedSectors = LittleEndian16(&boot[14]);
    const uint32_t tableCount = boot[16];
    const uint32_t rootEntries = LittleEndian16(&boot[17]);
    const uint32_t smallTableSectors = LittleEndian16(&boot[22]);
    const uint64_t totalSectors =
        LittleEndian16(&boot[19]) != 0 ? LittleEndian16(&boot[19]) : LittleEndian32(&boot[32]);
    const uint64_t tableSectors = LittleEndian32(&boot[36]);
    if (!IsPowerOfTwo(sectorBytes) || sectorBytes < 512 || sectorBytes > 4096 ||
        !IsPowerOfTwo(sectorsPerCluster) || reservedSectors == 0 || tableCount == 0 ||
        tableCount > 4 || rootEntries != 0 || smallTableSectors != 0 || tableSectors == 0) {
        return nullptr;
    }
    Geometry geometry;
    geometry.Start = start;
    geometry.FatOffset = uint64_t{reservedSectors} * sectorBytes;
    geometry.DataOffset = geometry.FatOffset + tableCount * tableSectors * sectorBytes;
    geometry.ClusterBytes = sectorBytes * sectorsPerCluster;
    const uint64_t volumeBytes = std::min(totalSectors * sectorBytes, length);
    if (geometry.DataOffset >= volumeBytes) {
        return nullptr;
    }
    // Clusters the data region and the table both hold.
    const uint64_t clusters = std::min((volumeBytes - geometry.DataOffset) / geometry.ClusterBytes,
                                       tableSectors * sectorBytes / 4 - kFirstCluster);
    geometry.ClusterCount = static_cast<uint32_t>(std::min<uint64_t>(clusters, 0x0FFFFFF0));
    geometry.RootCluster = LittleEndian32(&boot[44]);
    if (geometry.RootCluster < kFirstCluster ||
        geometry.RootCluster >= kFirstCluster + uint64_t{geometry.ClusterCount}) {
        return nullptr;
    }
    std::unique_ptr<Fat32Volume> volume(new Fat32Volume(std::move(source), geometry));
    std::lock_guard<std::mutex> lock(volume->caching_);
    if (volume->FolderOf(geometry.RootCluster) == nullptr) {
        return nullptr;
    }
    if (volume->volumeName_.empty()) {
        volume->volumeName_ = VolumeLabel(&boot[71]);
    }
    return volume;
}

std::optional<uint32_t> Fat32Volume::NextCluster(uint32_t cluster) {
    const uint64_t offset = geometry_.FatOffset + uint64_t{cluster} * 4;
    if (tableWindow_.empty() || offset < tableWindowStart_ ||
        offset + 4 > tableWindowStart_ + tableWindow_.size()) {
        const uint64_t tableEnd = geometry_.FatOffset + (uint64_t{geometry_.ClusterCount} + 2) * 4;
        tableWindowStart_ = offset - offset % kTableWindowBytes;
        tableWindow_.resize(static_cast<size_t>(
            std::min<uint64_t>(kTableWindowBytes, tableEnd - tableWindowStart_)));
        if (offset + 4 > tableWindowStart_ + tableWindow_.size() ||
            !source_->ReadAt(geometry_.Start + tableWindowStart_, tableWindow_.size(),
                             tableWindow_.data())) {
            tableWindow_.clear();
            return std::nullopt;
        }
    }
    return LittleEndian32(&tableWindow_[offset - tableWindowStart_]) & 0x0FFFFFFF;
}

std::optional<std::vector<uint32_t>> Fat32Volume::Chain(uint32_t first, uint64_t limit) {
    std::vector<uint32_t> clusters;
    uint32_t cluster = first;
    while (clusters.size() < limit) {
        if (cluster < kFirstCluster ||
            cluster >= kFirstCluster + uint64_t{geometry_.ClusterCount}) {
            return std::nullopt;
        }
        clusters.push_back(cluster);
        const std::optional<uint32_t> next = NextCluster(cluster);
        if (!next) {
            return std::nullopt;
        }
        if (*next >= kEndOfChain) {
            break;
        }
        cluster = *next;
    }
    // A chain that comes back to a cluster it passed would give its bytes twice.
    std::vector<uint32_t> sorted(clusters);
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        return std::nullopt;
    }
    return clusters;
}

std::vector<FileExtent> Fat32Volume::Extents(const std::vector<uint32_t>& clusters,
                                             uint64_t size) const {
    std::vector<FileExtent> extents;
    uint64_t fileOffset = 0;
    for (size_t i = 0; i < clusters.size() && fileOffset < size; ++i) {
        const uint64_t length = std::min<uint64_t>(geometry_.ClusterBytes, size - fileOffset);
        const uint64_t sourceOffset =
            geometry_.Start + geometry_.DataOffset +
            uint64_t{clusters[i] - kFirstCluster} * geometry_.ClusterBytes;
        if (!extents.empty() &&
            extents.back().SourceOffset + extents.back().Length == sourceOffset) {
            extents.back().Length += length;
        } else {
            extents.push_back({fileOffset, sourceOffset, length});
        }
        fileOffset += length;
    }
    return extents;
}

Fat32Entry Fat32Volume::Root() const {
    Fat32Entry root;
    root.Shown.IsFolder = true;
    root.Id = geometry_.RootCluster;
    return root;
}

std::u16string Fat32Volume::KeyOf(std::u16string_view name) const {
    return NameKey(name);
}

std::optional<Fat32Volume::Folder> Fat32Volume::ReadFolder(uint32_t firstCluster) {
    const std::optional<std::vector<uint32_t>> clusters =
        Chain(firstCluster, kFolderBytesLimit / geometry_.ClusterBytes + 1);
    if (!clusters) {
        return std::nullopt;
    }
    Folder folder;
    LongName longName;
    std::vector<uint8_t> bytes(geometry_.ClusterBytes);
    bool ended = false;
    for (size_t i = 0; i < clusters->size() && !ended; ++i) {
        const uint64_t where = geometry_.Start + geometry_.DataOffset +
                               uint64_t{(*clusters)[i] - kFirstCluster} * geometry_.ClusterBytes;
        if (!source_->ReadAt(where, bytes.size(), bytes.data())) {
            return std::nullopt;
        }
        for (size_t at = 0; at + kEntryBytes <= bytes.size(); at += kEntryBytes) {
            const uint8_t* entry = &bytes[at];
            if (entry[0] == 0) {
                ended = true;
                break;
            }
            if (entry[0] == 0xE5) {
                longName.Forget();
            } else if (entry[11] == kAttributeLongName) {
                longName.Take(entry);
            } else if ((entry[11] & kAttributeLabel) != 0) {
                longName.Forget();
                if (firstCluster == geometry_.RootCluster) {
                    volumeName_ = VolumeLabel(entry);
                }
            } else if (entry[0] == '.') {
                longName.Forget();  // "." and ".."
            } else {
                Fat32Entry found;
                found.Shown.Name = longName.For(entry).value_or(ShortName(entry));
                found.Shown.IsFolder = (entry[11] & kAttributeFolder) != 0;
                found.Shown.Size = found.Shown.IsFolder ? 0 : LittleEndian32(entry + 28);
                found.Id = LittleEndian16(entry + 20) << 16 | LittleEndian16(entry + 26);
                found.WrittenTime = static_cast<uint16_t>(LittleEndian16(entry + 22));
                found.WrittenDate = static_cast<uint16_t>(LittleEndian16(entry + 24));
                Add(folder, std::move(found));
            }
        }
    }
    return folder;
}

std::unique_ptr<PlayerFile> Fat32Volume::OpenEntry(const Fat32Entry& file) {
    const uint64_t size = file.Shown.Size;
    std::vector<FileExtent> extents;
    if (size > 0) {
        const std::optional<std::vector<uint32_t>> clusters =
            Chain(file.Id, (size + geometry_.ClusterBytes - 1) / geometry_.ClusterBytes);
        if (!clusters || uint64_t{clusters->size()} * geometry_.ClusterBytes < size) {
            return nullptr;  // the chain ends before the file does
        }
        extents = Extents(*clusters, size);
    }
    return std::make_unique<ExtentFile>(source_, std::move(extents), size,
                                        WrittenTimeOf(file.WrittenDate, file.WrittenTime));
}
