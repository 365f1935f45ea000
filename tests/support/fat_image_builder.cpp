#include "fat_image_builder.h"

#include <algorithm>
#include <map>

namespace fat {
namespace {

constexpr uint32_t kSector = 512;

void PutLittle(Bytes& bytes, size_t at, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t ClustersFor(size_t bytes) {
    return static_cast<uint32_t>(std::max<size_t>(1, (bytes + kSector - 1) / kSector));
}

size_t LongEntries(const Entry& entry) {
    return (entry.LongName.size() + 12) / 13;
}

size_t FolderBytes(const std::vector<Entry>& children) {
    size_t slots = 1;  // the end mark
    for (const Entry& child : children) {
        slots += 1 + LongEntries(child);
    }
    return slots * 32;
}

// Clusters in order: a folder's own, then each child's (a folder's with its
// own children after it).
void Assign(const std::vector<Entry>& children, std::map<const Entry*, uint32_t>& first,
            uint32_t& next) {
    for (const Entry& child : children) {
        if (!child.IsFolder && child.Data.empty()) {
            first[&child] = 0;
            continue;
        }
        first[&child] = next;
        next += ClustersFor(child.IsFolder ? FolderBytes(child.Children) : child.Data.size());
        if (child.IsFolder) {
            Assign(child.Children, first, next);
        }
    }
}

uint8_t Checksum(const std::string& shortName) {
    uint8_t sum = 0;
    for (unsigned char c : shortName) {
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + c);
    }
    return sum;
}

void WriteFolder(Bytes& volume, size_t at, const std::vector<Entry>& children,
                 const std::map<const Entry*, uint32_t>& first) {
    for (const Entry& child : children) {
        const size_t parts = LongEntries(child);
        for (size_t part = parts; part >= 1; --part, at += 32) {
            volume[at] = static_cast<uint8_t>(part | (part == parts ? 0x40 : 0));
            volume[at + 11] = 0x0F;
            volume[at + 13] = Checksum(child.ShortName);
            const size_t offsets[] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
            for (size_t i = 0; i < 13; ++i) {
                const size_t index = (part - 1) * 13 + i;
                const uint32_t unit = index < child.LongName.size()    ? child.LongName[index]
                                      : index == child.LongName.size() ? 0
                                                                       : 0xFFFF;
                PutLittle(volume, at + offsets[i], unit, 2);
            }
        }
        std::copy(child.ShortName.begin(), child.ShortName.end(), volume.begin() + at);
        volume[at + 11] = child.IsFolder ? 0x10 : 0x20;
        const uint32_t cluster = first.at(&child);
        PutLittle(volume, at + 22, child.WrittenTime, 2);
        PutLittle(volume, at + 24, child.WrittenDate, 2);
        PutLittle(volume, at + 20, cluster >> 16, 2);
        PutLittle(volume, at + 26, cluster & 0xFFFF, 2);
        PutLittle(volume, at + 28, child.IsFolder ? 0 : child.Data.size(), 4);
        at += 32;
    }
}

}  // namespace

Bytes Volume(const std::vector<Entry>& root, const std::string& label) {
    std::map<const Entry*, uint32_t> first;
    uint32_t next = 2 + ClustersFor(FolderBytes(root));
    Assign(root, first, next);
    const uint32_t clusters = next - 2;
    const uint32_t tableSectors = ((clusters + 2) * 4 + kSector - 1) / kSector;
    const size_t dataOffset = kTableOffset + size_t{tableSectors} * kSector;
    Bytes volume(dataOffset + size_t{clusters} * kSector);
    PutLittle(volume, 11, kSector, 2);
    volume[13] = 1;
    PutLittle(volume, 14, kTableOffset / kSector, 2);
    volume[16] = 1;
    volume[21] = 0xF8;
    PutLittle(volume, 32, volume.size() / kSector, 4);
    PutLittle(volume, 36, tableSectors, 4);
    PutLittle(volume, 44, 2, 4);
    std::copy(label.begin(), label.end(), volume.begin() + 71);
    volume[510] = 0x55;
    volume[511] = 0xAA;
    // Each run of clusters chained in order, its last one ending the chain.
    auto chain = [&](uint32_t from, uint32_t count) {
        for (uint32_t cluster = from; cluster < from + count; ++cluster) {
            PutLittle(volume, kTableOffset + cluster * 4,
                      cluster + 1 < from + count ? cluster + 1 : 0x0FFFFFFF, 4);
        }
    };
    PutLittle(volume, kTableOffset, 0x0FFFFFF8, 4);
    PutLittle(volume, kTableOffset + 4, 0x0FFFFFFF, 4);
    auto clusterAt = [&](uint32_t cluster) { return dataOffset + size_t{cluster - 2} * kSector; };
    chain(2, ClustersFor(FolderBytes(root)));
    WriteFolder(volume, clusterAt(2), root, first);
    for (const auto& [entry, cluster] : first) {
        if (cluster == 0) {
            continue;
        }
        if (entry->IsFolder) {
            chain(cluster, ClustersFor(FolderBytes(entry->Children)));
            WriteFolder(volume, clusterAt(cluster), entry->Children, first);
        } else {
            chain(cluster, ClustersFor(entry->Data.size()));
            std::copy(entry->Data.begin(), entry->Data.end(), volume.begin() + clusterAt(cluster));
        }
    }
    return volume;
}

uint32_t FirstCluster(const std::vector<Entry>& root, const std::vector<std::string>& path) {
    std::map<const Entry*, uint32_t> first;
    uint32_t next = 2 + ClustersFor(FolderBytes(root));
    Assign(root, first, next);
    const std::vector<Entry>* folder = &root;
    uint32_t cluster = 2;
    for (const std::string& name : path) {
        const auto found = std::find_if(folder->begin(), folder->end(), [&](const Entry& entry) {
            return entry.ShortName == name;
        });
        if (found == folder->end()) {
            return 0;
        }
        cluster = first.at(&*found);
        folder = &found->Children;
    }
    return cluster;
}

}  // namespace fat
