// A disk image or a whole physical disk ("\\.\PhysicalDrive2") as bytes to
// read: opened for reading only, shared with every other program, never
// written. A physical disk is read in whole sectors; any range is given.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/block_source.h"
#include "win/handles.h"

namespace win {

class DiskSource : public BlockSource {
public:
    // Null, with the system's reason in `error`, when it cannot be opened
    // (ERROR_ACCESS_DENIED: a physical disk needs administrator rights).
    static std::unique_ptr<DiskSource> Open(const std::wstring& path, DWORD& error);

    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    DiskSource(UniqueFile file, uint64_t size, uint32_t sectorBytes)
        : file_(std::move(file)), size_(size), sectorBytes_(sectorBytes) {}
    // Reads whole sectors when the offset and the count are multiples of
    // their size; any bytes of a file.
    bool ReadDirect(uint64_t offset, size_t count, uint8_t* destination);

    UniqueFile file_;
    uint64_t size_;
    uint32_t sectorBytes_;  // 1 for an image file
};

// "\\.\PhysicalDriveN".
std::wstring PhysicalDiskPath(int number);

}  // namespace win
