// A FAT32 volume, read from its bytes: the boot sector, the file
// allocation table's cluster chains, folders of 32-byte entries with long
// names before their short ones. Read-only; a damaged volume costs files,
// never more: every cluster number is checked, a chain ends where it would
// run longer than its file or folder needs, a chain that loops is refused,
// and a long name counts only when its checksum matches the short entry
// after it.
#pragma once

#include <memory>

#include "folder_tree_volume.h"

// A file or folder of a FAT32 volume, as its folder's entry describes it.
struct Fat32Entry {
    PlayerFileEntry Shown;
    uint32_t Id = 0;           // its first cluster
    uint16_t WrittenDate = 0;  // as the entry stores them; 0 for none
    uint16_t WrittenTime = 0;
};

class Fat32Volume : public FolderTreeVolume<Fat32Entry> {
public:
    using FolderTreeVolume::Open;
    // The volume whose boot sector is at `start` of the source, `length`
    // bytes long; null when the bytes there hold no FAT32 volume.
    static std::unique_ptr<Fat32Volume> Open(std::shared_ptr<BlockSource> source, uint64_t start,
                                             uint64_t length);

    std::u16string VolumeName() const override { return volumeName_; }

private:
    Fat32Entry Root() const override;
    std::optional<Folder> ReadFolder(uint32_t firstCluster) override;
    std::u16string KeyOf(std::u16string_view name) const override;
    std::unique_ptr<PlayerFile> OpenEntry(const Fat32Entry& file) override;

    struct Geometry {
        uint64_t Start = 0;       // of the volume on the source
        uint64_t FatOffset = 0;   // of the first table, from Start
        uint64_t DataOffset = 0;  // of cluster 2, from Start
        uint32_t ClusterBytes = 0;
        uint32_t ClusterCount = 0;  // numbered from 2
        uint32_t RootCluster = 0;
    };

    Fat32Volume(std::shared_ptr<BlockSource> source, const Geometry& geometry)
        : source_(std::move(source)), geometry_(geometry) {}

    // The clusters of a chain, at most `limit` of them; nothing when a link
    // is not a cluster of the volume, cannot be read, or leads back.
    std::optional<std::vector<uint32_t>> Chain(uint32_t first, uint64_t limit);
    std::optional<uint32_t> NextCluster(uint32_t cluster);
    std::vector<FileExtent> Extents(const std::vector<uint32_t>& clusters, uint64_t size) const;

    std::shared_ptr<BlockSource> source_;
    Geometry geometry_;
    std::u16string volumeName_;      // the root folder's label entry, else the boot sector's
    uint64_t tableWindowStart_ = 0;  // of the table's bytes kept in tableWindow_
    std::vector<uint8_t> tableWindow_;
};
