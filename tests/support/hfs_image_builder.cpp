#include "hfs_image_builder.h"

#include <algorithm>
#include <map>

namespace hfs {
namespace {

constexpr uint32_t kBlock = 512;
constexpr uint32_t kNode = 4096;
constexpr uint32_t kBlocksPerNode = kNode / kBlock;
constexpr uint32_t kFirstTreeBlock = 4;  // after the boot blocks and the volume header

void Put16(Bytes& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}
void Put32(Bytes& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value >> 16);
    Put16(bytes, at + 2, value & 0xFFFF);
}
void Put64(Bytes& bytes, size_t at, uint64_t value) {
    Put32(bytes, at, static_cast<uint32_t>(value >> 32));
    Put32(bytes, at + 4, static_cast<uint32_t>(value));
}
uint32_t Get32(const Bytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
           bytes[at + 3];
}

struct Record {
    Bytes Key;  // with its length
    Bytes Data;
};

Bytes CatalogKey(uint32_t parent, const std::u16string& name) {
    Bytes key(8 + 2 * name.size());
    Put16(key, 0, static_cast<uint32_t>(6 + 2 * name.size()));
    Put32(key, 2, parent);
    Put16(key, 6, static_cast<uint32_t>(name.size()));
    for (size_t i = 0; i < name.size(); ++i) {
        Put16(key, 8 + 2 * i, name[i]);
    }
    return key;
}

Bytes ExtentKey(uint32_t fileId, uint32_t firstFileBlock) {
    Bytes key(12);
    Put16(key, 0, 10);
    Put32(key, 4, fileId);
    Put32(key, 8, firstFileBlock);
    return key;
}

// A fork's size, blocks and first eight runs at `at`.
void PutFork(Bytes& bytes, size_t at, uint64_t size, uint32_t blocks,
             const std::vector<std::pair<uint32_t, uint32_t>>& runs) {
    Put64(bytes, at, size);
    Put32(bytes, at + 12, blocks);
    for (size_t i = 0; i < runs.size() && i < 8; ++i) {
        Put32(bytes, at + 16 + i * 8, runs[i].first);
        Put32(bytes, at + 20 + i * 8, runs[i].second);
    }
}

Bytes Node(int8_t kind, uint8_t height, uint32_t next, const std::vector<Record>& records) {
    Bytes node(kNode);
    Put32(node, 0, next);
    node[8] = static_cast<uint8_t>(kind);
    node[9] = height;
    Put16(node, 10, static_cast<uint32_t>(records.size()));
    size_t at = 14;
    for (size_t i = 0; i < records.size(); ++i) {
        Put16(node, kNode - 2 * (i + 1), static_cast<uint32_t>(at));
        std::copy(records[i].Key.begin(), records[i].Key.end(), node.begin() + at);
        at += records[i].Key.size();
        std::copy(records[i].Data.begin(), records[i].Data.end(), node.begin() + at);
        at += records[i].Data.size();
    }
    Put16(node, kNode - 2 * (records.size() + 1), static_cast<uint32_t>(at));
    return node;
}

// A whole tree: header node, one index node over the leaves when there is
// more than one, the leaves in a chain.
Bytes Tree(const std::vector<Record>& records, size_t perLeaf, bool loop, bool variableKeys) {
    std::vector<std::vector<Record>> leaves;
    for (size_t i = 0; i < records.size(); i += perLeaf) {
        leaves.emplace_back(records.begin() + i,
                            records.begin() + std::min(records.size(), i + perLeaf));
    }
    const bool indexed = leaves.size() > 1;
    const uint32_t firstLeaf = indexed ? 2 : 1;
    const uint32_t totalNodes = firstLeaf + static_cast<uint32_t>(leaves.size());
    Bytes header(106);
    Put16(header, 0, leaves.empty() ? 0 : indexed ? 2 : 1);
    Put32(header, 2, leaves.empty() ? 0 : indexed ? 1 : firstLeaf);
    Put32(header, 6, static_cast<uint32_t>(records.size()));
    Put16(header, 18, kNode);
    Put16(header, 20, variableKeys ? 516 : 10);
    Put32(header, 22, totalNodes);
    Put32(header, 38, variableKeys ? 0x6 : 0x2);
    Bytes tree = Node(1, 0, 0, {{header, {}}});
    if (indexed) {
        std::vector<Record> index;
        for (size_t i = 0; i < leaves.size(); ++i) {
            Bytes child(4);
            Put32(child, 0, firstLeaf + static_cast<uint32_t>(i));
            index.push_back({leaves[i].front().Key, child});
        }
        const Bytes node = Node(0, 2, 0, index);
        tree.insert(tree.end(), node.begin(), node.end());
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
        const bool last = i + 1 == leaves.size();
        const uint32_t next = !last  ? firstLeaf + static_cast<uint32_t>(i) + 1
                              : loop ? firstLeaf
                                     : 0;
        const Bytes node = Node(-1, 1, next, leaves[i]);
        tree.insert(tree.end(), node.begin(), node.end());
    }
    return tree;
}

Bytes FolderRecord(uint32_t id) {
    Bytes data(88);
    Put16(data, 0, 1);
    Put32(data, 8, id);
    return data;
}

Bytes ThreadRecord(uint32_t parent, const std::u16string& name) {
    // The record type, two reserved bytes, then a key's body without its length.
    const Bytes key = CatalogKey(parent, name);
    Bytes thread(2 + key.size());
    Put16(thread, 0, 3);
    std::copy(key.begin() + 2, key.end(), thread.begin() + 4);
    return thread;
}

}  // namespace

Bytes Volume(const std::vector<File>& files, const Options& options) {
    // Folders from the files' paths, each with its id.
    std::map<std::u16string, uint32_t> folderIds{{u"", 2}};
    std::vector<Record> catalog;
    uint32_t nextId = 16;
    auto folderOf = [&](const std::u16string& path) {
        size_t start = 0;
        uint32_t parent = 2;
        for (size_t slash = path.find(u'/'); slash != std::u16string::npos;
             slash = path.find(u'/', slash + 1)) {
            const std::u16string folder = path.substr(0, slash);
            auto [found, added] = folderIds.emplace(folder, nextId);
            if (added) {
                const std::u16string name = path.substr(start, slash - start);
                catalog.push_back({CatalogKey(parent, name), FolderRecord(nextId)});
                catalog.push_back({CatalogKey(nextId, u""), ThreadRecord(parent, name)});
                ++nextId;
            }
            parent = found->second;
            start = slash + 1;
        }
        return std::make_pair(parent, path.substr(start));
    };
    catalog.push_back({CatalogKey(1, options.VolumeName), FolderRecord(2)});
    catalog.push_back({CatalogKey(2, u""), ThreadRecord(1, options.VolumeName)});
    struct Placed {
        const File* Source;
        uint32_t Id, Parent;
        std::u16string Name;
        std::vector<std::pair<uint32_t, uint32_t>> Runs;
    };
    std::vector<Placed> placed;
    for (const File& file : files) {
        auto [parent, name] = folderOf(file.Path);
        placed.push_back({&file, nextId++, parent, name, {}});
    }
    // The trees' sizes are known before the data is placed: one catalog
    // record per file besides the folders', and the overflow records.
    const size_t catalogRecords = catalog.size() + placed.size();
    const size_t catalogLeaves =
        (catalogRecords + options.RecordsPerLeaf - 1) / options.RecordsPerLeaf;
    const uint32_t catalogNodes =
        1 + (catalogLeaves > 1 ? 1 : 0) + static_cast<uint32_t>(catalogLeaves);
    size_t overflowRecords = 0;
    for (const File& file : files) {
        overflowRecords += file.Runs > 8 ? (file.Runs - 8 + 7) / 8 : 0;
    }
    const size_t extentLeaves = (overflowRecords + 15) / 16;
    const uint32_t extentNodes =
        1 + (extentLeaves > 1 ? 1 : 0) + static_cast<uint32_t>(extentLeaves);
    const uint32_t extentsStart = kFirstTreeBlock;
    const uint32_t catalogStart = extentsStart + extentNodes * kBlocksPerNode;
    uint32_t nextBlock = catalogStart + catalogNodes * kBlocksPerNode;
    // Each file's data in its runs, a free block after each run.
    std::vector<Record> overflow;
    for (Placed& file : placed) {
        const uint32_t blocks =
            static_cast<uint32_t>((file.Source->Data.size() + kBlock - 1) / kBlock);
        const uint32_t runs = std::max<uint32_t>(1, std::min(file.Source->Runs, blocks));
        for (uint32_t run = 0, given = 0; run < runs && blocks > 0; ++run) {
            const uint32_t count = run + 1 == runs ? blocks - given : blocks / runs;
            file.Runs.emplace_back(nextBlock, count);
            nextBlock += count + 1;
            given += count;
        }
        for (size_t first = 8; first < file.Runs.size(); first += 8) {
            uint32_t fileBlock = 0;
            for (size_t i = 0; i < first; ++i) {
                fileBlock += file.Runs[i].second;
            }
            Bytes data(64);
            for (size_t i = first; i < file.Runs.size() && i < first + 8; ++i) {
                Put32(data, (i - first) * 8, file.Runs[i].first);
                Put32(data, (i - first) * 8 + 4, file.Runs[i].second);
            }
            overflow.push_back({ExtentKey(file.Id, fileBlock), data});
        }
        Bytes record(248);
        Put16(record, 0, 2);
        Put32(record, 8, file.Id);
        Put32(record, 16, file.Source->Modified);
        PutFork(record, 88, file.Source->Data.size(), blocks, file.Runs);
        catalog.push_back({CatalogKey(file.Parent, file.Name), record});
    }
    std::sort(catalog.begin(), catalog.end(), [](const Record& a, const Record& b) {
        // By parent, then name: the key's body after its length.
        return std::lexicographical_compare(a.Key.begin() + 2, a.Key.end(), b.Key.begin() + 2,
                                            b.Key.end());
    });
    const Bytes extentsTree = Tree(overflow, 16, false, false);
    const Bytes catalogTree = Tree(catalog, options.RecordsPerLeaf, options.LeafLinksLoop, true);

    Bytes volume(uint64_t{nextBlock + 2} * kBlock);
    volume[1024] = 'H';
    volume[1025] = options.CaseSensitive ? 'X' : '+';
    Put16(volume, 1026, options.CaseSensitive ? 5 : 4);
    Put32(volume, 1024 + 40, kBlock);
    Put32(volume, 1024 + 44, nextBlock + 2);
    PutFork(volume, 1024 + 192, extentsTree.size(), extentNodes * kBlocksPerNode,
            {{extentsStart, extentNodes * kBlocksPerNode}});
    PutFork(volume, 1024 + 272, catalogTree.size(), catalogNodes * kBlocksPerNode,
            {{catalogStart, catalogNodes * kBlocksPerNode}});
    std::copy(extentsTree.begin(), extentsTree.end(), volume.begin() + extentsStart * kBlock);
    std::copy(catalogTree.begin(), catalogTree.end(), volume.begin() + catalogStart * kBlock);
    for (const Placed& file : placed) {
        size_t taken = 0;
        for (const auto& [first, count] : file.Runs) {
            const size_t length =
                std::min<size_t>(uint64_t{count} * kBlock, file.Source->Data.size() - taken);
            std::copy_n(file.Source->Data.begin() + taken, length,
                        volume.begin() + uint64_t{first} * kBlock);
            taken += length;
        }
    }
    return volume;
}

uint32_t FirstDataBlock(const Bytes& volume) {
    return Get32(volume, 1024 + 272 + 16) + Get32(volume, 1024 + 272 + 20);
}

size_t AddJournal(Bytes& volume, uint32_t block, const Bytes& replacement) {
    // Little-endian, as an Intel Mac writes it: the info block, then a
    // journal of 8 blocks (its header, one transaction).
    auto put32le = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            volume[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    auto put64le = [&](size_t at, uint64_t value) {
        put32le(at, static_cast<uint32_t>(value));
        put32le(at + 4, static_cast<uint32_t>(value >> 32));
    };
    const uint32_t infoBlock = Get32(volume, 1024 + 44);
    const uint32_t journalBlock = infoBlock + 1;
    constexpr uint32_t kJournalBlocks = 8;
    volume.resize(uint64_t{journalBlock + kJournalBlocks} * kBlock);
    Put32(volume, 1024 + 4, Get32(volume, 1024 + 4) | 0x2000);
    Put32(volume, 1024 + 12, infoBlock);
    Put32(volume, 1024 + 44, journalBlock + kJournalBlocks);
    const size_t info = uint64_t{infoBlock} * kBlock;
    Put32(volume, info, 1);  // the journal lies inside the volume
    Put64(volume, info + 36, uint64_t{journalBlock} * kBlock);
    Put64(volume, info + 44, uint64_t{kJournalBlocks} * kBlock);
    const size_t journal = uint64_t{journalBlock} * kBlock;
    const uint32_t listBytes = kBlock;  // the block list header's room
    const uint32_t used = listBytes + static_cast<uint32_t>(replacement.size());
    put32le(journal, 0x4A4E4C78);
    put32le(journal + 4, 0x12345678);
    put64le(journal + 8, kBlock);          // the transaction, after the header
    put64le(journal + 16, kBlock + used);  // its end
    put64le(journal + 24, uint64_t{kJournalBlocks} * kBlock);
    put32le(journal + 32, listBytes);
    put32le(journal + 40, kBlock);
    const size_t list = journal + kBlock;
    volume[list] = 4;      // room for three blocks
    volume[list + 2] = 2;  // the first entry links lists; one block follows
    put32le(list + 4, used);
    put64le(list + 32, block);  // entry 1: in sectors of the journal header's size
    put32le(list + 40, static_cast<uint32_t>(replacement.size()));
    std::copy(replacement.begin(), replacement.end(), volume.begin() + list + listBytes);
    return list + 32;
}

}  // namespace hfs
