// An HFS Plus volume (a Mac-formatted player), read from its bytes: the
// volume header, the catalog B-tree (each folder's entries, by the folder's
// id) and the extents overflow B-tree (where a file's data lies beyond the
// eight runs its catalog record holds). Read-only. Names are shown composed
// and found as the volume compares them: without regard to case, except on
// a case-sensitive ("HX") volume.
#pragma once

#include <memory>

#include "folder_tree_volume.h"
#include "hfs_btree.h"

// Where a fork's data lies: its size, its blocks in all, its first runs.
struct HfsPlusFork {
    uint64_t Size = 0;
    uint32_t Blocks = 0;
    std::vector<std::pair<uint32_t, uint32_t>> Runs;  // first block, block count
};

// A file or folder of an HFS Plus volume, as its catalog record describes it.
struct HfsPlusEntry {
    PlayerFileEntry Shown;
    uint32_t Id = 0;  // the folder's or file's catalog id
    HfsPlusFork Data;
    uint32_t Modified = 0;  // seconds since 1904, UTC; 0 for none
};

class HfsPlusVolume : public FolderTreeVolume<HfsPlusEntry> {
public:
    using FolderTreeVolume::Open;
    // The volume whose first byte is at `start` of the source, `length`
    // bytes long; null when the bytes there hold no HFS Plus volume.
    static std::unique_ptr<HfsPlusVolume> Open(std::shared_ptr<BlockSource> source, uint64_t start,
                                               uint64_t length);

    std::u16string VolumeName() const override { return volumeName_; }

private:
    HfsPlusEntry Root() const override;
    std::optional<Folder> ReadFolder(uint32_t folderId) override;
    std::u16string KeyOf(std::u16string_view name) const override;
    std::unique_ptr<PlayerFile> OpenEntry(const HfsPlusEntry& file) override;

    HfsPlusVolume(std::shared_ptr<BlockSource> source, uint64_t start)
        : source_(std::move(source)), start_(start) {}

    // The file made of a fork's runs, the extents overflow file's runs
    // after them; null when they do not cover its size.
    std::unique_ptr<PlayerFile> ForkFile(uint32_t fileId, const HfsPlusFork& fork,
                                         std::optional<WrittenTime> written = {}) const;

    std::shared_ptr<BlockSource> source_;
    uint64_t start_;
    uint32_t blockSize_ = 0;
    uint32_t totalBlocks_ = 0;
    bool caseSensitive_ = false;
    std::unique_ptr<HfsBTree> extents_;
    std::unique_ptr<HfsBTree> catalog_;
    std::u16string volumeName_;
};
