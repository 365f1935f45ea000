#include "hfs_plus_volume.h"

#include "hfs_journal.h"
#include "volume_names.h"

namespace {

constexpr uint64_t kHeaderOffset = 1024;
constexpr size_t kHeaderBytes = 512;
constexpr size_t kForkBytes = 80;
constexpr size_t kForkRuns = 8;
constexpr uint32_t kRootParentId = 1;
constexpr uint32_t kRootFolderId = 2;
constexpr uint32_t kExtentsFileId = 3;
constexpr uint32_t kCatalogFileId = 4;
constexpr uint32_t kFolderRecord = 1;
constexpr uint32_t kFileRecord = 2;
constexpr size_t kFolderRecordBytes = 88;
constexpr size_t kFileDataForkAt = 88;

HfsPlusFork ForkOf(const uint8_t* bytes) {
    HfsPlusFork fork;
    fork.Size = BigEndian64(bytes);
    fork.Blocks = BigEndian32(bytes + 12);
    for (size_t run = 0; run < kForkRuns; ++run) {
        const uint32_t count = BigEndian32(bytes + 16 + run * 8 + 4);
        if (count == 0) {
            break;
        }
        fork.Runs.emplace_back(BigEndian32(bytes + 16 + run * 8), count);
    }
    return fork;
}

int Compare(uint64_t a, uint64_t b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

// A catalog key's name: UTF-16, big-endian, after its length.
std::optional<std::u16string> CatalogName(const HfsBTree::Record& record) {
    if (record.KeyLength < 6) {
        return std::nullopt;
    }
    const size_t length = BigEndian16(record.Key + 4);
    if (length > 255 || 6 + 2 * length > record.KeyLength) {
        return std::nullopt;
    }
    std::u16string name(length, u'\0');
    for (size_t i = 0; i < length; ++i) {
        name[i] = static_cast<char16_t>(BigEndian16(record.Key + 6 + 2 * i));
    }
    return name;
}

// The Mac keeps its own folders under names no Windows file can have
// ("\0\0\0\0HFS+ Private Data", ".HFS+ Private Directory Data\r").
bool IsPrivateName(const std::u16string& name) {
    for (char16_t character : name) {
        if (character < 0x20) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<HfsPlusVolume> HfsPlusVolume::Open(std::shared_ptr<BlockSource> source,
                                                   uint64_t start, uint64_t length) {
    uint8_t header[kHeaderBytes];
    if (length < kHeaderOffset + kHeaderBytes ||
        !source->ReadAt(start + kHeaderOffset, kHeaderBytes, header)) {
        return nullptr;
    }
    const uint32_t signature = BigEndian16(header);
    const uint32_t version = BigEndian16(header + 2);
    if (!(signature == 0x482B && version == 4) && !(signature == 0x4858 && version == 5)) {
        return nullptr;
    }
    const uint32_t blockSize = BigEndian32(header + 40);
    if (blockSize < 512 || (blockSize & (blockSize - 1)) != 0) {
        return nullptr;
    }
    // The journal may hold a newer volume header too.
    source = WithJournalReplayed(std::move(source), start, header, blockSize);
    if (!source->ReadAt(start + kHeaderOffset, kHeaderBytes, header) ||
        BigEndian16(header) != signature || BigEndian32(header + 40) != blockSize) {
        return nullptr;
    }
    std::unique_ptr<HfsPlusVolume> volume(new HfsPlusVolume(std::move(source), start));
    volume->caseSensitive_ = signature == 0x4858;
    volume->blockSize_ = blockSize;
    volume->totalBlocks_ = BigEndian32(header + 44);
    if (volume->totalBlocks_ == 0) {
        return nullptr;
    }
    volume->extents_ = HfsBTree::Open(volume->ForkFile(kExtentsFileId, ForkOf(header + 192)));
    if (!volume->extents_) {
        return nullptr;
    }
    volume->catalog_ = HfsBTree::Open(volume->ForkFile(kCatalogFileId, ForkOf(header + 272)));
    if (!volume->catalog_) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(volume->caching_);
    const Folder* top = volume->FolderOf(kRootParentId);
    if (top == nullptr) {
        return nullptr;
    }
    for (const HfsPlusEntry& entry : top->Entries) {
        if (entry.Id == kRootFolderId && entry.Shown.IsFolder) {
            volume->volumeName_ = entry.Shown.Name;
            return volume;
        }
    }
    return nullptr;  // no root folder
}

std::unique_ptr<PlayerFile> HfsPlusVolume::ForkFile(uint32_t fileId, const HfsPlusFork& fork,
                                                    std::optional<WrittenTime> written) const {
    std::vector<FileExtent> extents;
    uint64_t fileOffset = 0;
    uint32_t blocks = 0;
    auto take = [&](uint32_t first, uint32_t count) {
        if (count == 0 || first >= totalBlocks_ || count > totalBlocks_ - first ||
            count > fork.Blocks - blocks) {
            return false;
        }
        const uint64_t length = uint64_t{count} * blockSize_;
        extents.push_back({fileOffset, start_ + uint64_t{first} * blockSize_, length});
        fileOffset += length;
        blocks += count;
        return true;
    };
    for (const auto& [first, count] : fork.Runs) {
        if (!take(first, count)) {
            return nullptr;
        }
    }
    // Further runs are in the extents overflow file, keyed by the file, the
    // fork (0: data) and the file block they begin at. The extents file's
    // own runs are all in the volume header.
    while (blocks < fork.Blocks) {
        if (!extents_ || fileId == kExtentsFileId) {
            return nullptr;
        }
        const uint32_t wanted = blocks;
        auto order = [&](const HfsBTree::Record& record) {
            if (record.KeyLength < 10) {
                return -1;
            }
            const int byFile = Compare(BigEndian32(record.Key + 2), fileId);
            const int byFork = Compare(record.Key[0], 0);
            return byFile != 0   ? byFile
                   : byFork != 0 ? byFork
                                 : Compare(BigEndian32(record.Key + 6), wanted);
        };
        bool found = false, fits = true;
        const bool walked = extents_->WalkFrom(order, [&](const HfsBTree::Record& record) {
            if (order(record) != 0 || record.DataLength < kForkRuns * 8) {
                return false;
            }
            found = true;
            for (size_t run = 0; run < kForkRuns && fits && blocks < fork.Blocks; ++run) {
                const uint32_t count = BigEndian32(record.Data + run * 8 + 4);
                if (count == 0) {
                    break;
                }
                fits = take(BigEndian32(record.Data + run * 8), count);
            }
            return false;
        });
        if (!walked || !found || !fits || blocks == wanted) {
            return nullptr;
        }
    }
    if (fileOffset < fork.Size) {
        return nullptr;
    }
    return std::make_unique<ExtentFile>(source_, std::move(extents), fork.Size, written);
}

std::u16string HfsPlusVolume::KeyOf(std::u16string_view name) const {
    return caseSensitive_ ? ComposedName(name) : NameKey(name);
}

HfsPlusEntry HfsPlusVolume::Root() const {
    HfsPlusEntry root;
    root.Shown.IsFolder = true;
    root.Id = kRootFolderId;
    return root;
}

std::optional<HfsPlusVolume::Folder> HfsPlusVolume::ReadFolder(uint32_t folderId) {
    // A folder's records follow its thread record, whose key has no name.
    auto order = [folderId](const HfsBTree::Record& record) {
        if (record.KeyLength < 6) {
            return -1;
        }
        const int byParent = Compare(BigEndian32(record.Key), folderId);
        return byParent != 0 ? byParent : BigEndian16(record.Key + 4) == 0 ? 0 : 1;
    };
    Folder folder;
    const bool walked = catalog_->WalkFrom(order, [&](const HfsBTree::Record& record) {
        if (record.KeyLength < 6 || BigEndian32(record.Key) != folderId) {
            return false;
        }
        const std::optional<std::u16string> name = CatalogName(record);
        if (!name || record.DataLength < 2) {
            return true;
        }
        HfsPlusEntry entry;
        entry.Shown.Name = ComposedName(*name);
        const uint32_t type = BigEndian16(record.Data);
        if (type == kFolderRecord && record.DataLength >= kFolderRecordBytes) {
            entry.Shown.IsFolder = true;
            entry.Id = BigEndian32(record.Data + 8);
        } else if (type == kFileRecord && record.DataLength >= kFileDataForkAt + kForkBytes) {
            entry.Id = BigEndian32(record.Data + 8);
            entry.Modified = BigEndian32(record.Data + 16);
            entry.Data = ForkOf(record.Data + kFileDataForkAt);
            entry.Shown.Size = entry.Data.Size;
        } else {
            return true;  // a thread record or a damaged one
        }
        if (!IsPrivateName(entry.Shown.Name) || folderId == kRootParentId) {
            Add(folder, std::move(entry));
        }
        return true;
    });
    if (!walked) {
        return std::nullopt;
    }
    return folder;
}

std::unique_ptr<PlayerFile> HfsPlusVolume::OpenEntry(const HfsPlusEntry& file) {
    // The Mac counts from 1904.
    constexpr int64_t kSecondsFrom1904To1970 = 2082844800;
    const std::optional<WrittenTime> written =
        file.Modified != 0
            ? std::optional<WrittenTime>({int64_t{file.Modified} - kSecondsFrom1904To1970, false})
            : std::nullopt;
    return ForkFile(file.Id, file.Data, written);
}
