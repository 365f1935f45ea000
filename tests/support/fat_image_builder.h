// Builds small FAT32 volumes byte by byte: 512-byte sectors, one sector a
// cluster, one table, clusters given out in order from the root folder's
// (cluster 2) on. Real tools make volumes of 32 MB at least; these hold a
// player's few files in some kilobytes, for the tests and the fuzzer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fat {

using Bytes = std::vector<uint8_t>;

struct Entry {
    std::string ShortName;        // 11 bytes, as stored: "ABCD    MP3"
    std::u16string LongName;      // none when empty
    Bytes Data;                   // a file's
    std::vector<Entry> Children;  // a folder's
    bool IsFolder = false;
    uint16_t WrittenDate = 0;  // as an entry stores them: from 1980, local time
    uint16_t WrittenTime = 0;
};

constexpr uint32_t kTableOffset = 32 * 512;  // of the table from the volume's start

// The volume; `label` is its 11-byte name.
Bytes Volume(const std::vector<Entry>& root, const std::string& label = "PODFAT     ");

// The first cluster of the entry the path of short names leads to (the
// root folder for none), in a volume made by Volume().
uint32_t FirstCluster(const std::vector<Entry>& root, const std::vector<std::string>& path);

}  // namespace fat
