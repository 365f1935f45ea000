// Builds HFS Plus volumes byte by byte, with what the Mac's own tools write
// but the image tools on this machine never do: files in more runs than a
// catalog record holds, names in decomposed form, a case-sensitive volume,
// a catalog of many leaves under an index node, a journal with transactions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hfs {

using Bytes = std::vector<uint8_t>;

struct File {
    std::u16string Path;  // from the root, '/' between parts, as stored
    Bytes Data;
    uint32_t Runs = 1;      // pieces the data is cut into, with a gap between each
    uint32_t Modified = 0;  // seconds since 1904, UTC
};

struct Options {
    std::u16string VolumeName = u"POD";
    bool CaseSensitive = false;  // "HX"
    size_t RecordsPerLeaf = 12;  // fewer make more leaves under an index node
    bool LeafLinksLoop = false;  // the last leaf links back to the first
};

// The volume (no partition map): block size 512, B-tree nodes of 4096.
Bytes Volume(const std::vector<File>& files, const Options& options = {});

// Adds a journal to a volume made by Volume(): a transaction that lays
// `replacement` over the 512-byte block `block` of the volume. The volume
// itself keeps its old bytes there, as a volume whose journal was never
// replayed does. Returns where the journal names that block's number.
size_t AddJournal(Bytes& volume, uint32_t block, const Bytes& replacement);

// Where file data of a volume made by Volume() begins: the block after the
// B-trees.
uint32_t FirstDataBlock(const Bytes& volume);

}  // namespace hfs
