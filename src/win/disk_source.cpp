#include "win/disk_source.h"

#include <winioctl.h>

#include <algorithm>
#include <vector>

namespace win {

namespace {

// Sectors of 4096 bytes are whole sectors of 512-byte disks too.
constexpr uint32_t kDiskSectorBytes = 4096;
constexpr size_t kLargestRead = 1 << 20;

bool IsDevicePath(const std::wstring& path) {
    return path.rfind(L"\\\\.\\", 0) == 0;
}

}  // namespace

std::wstring PhysicalDiskPath(int number) {
    return L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
}

std::unique_ptr<DiskSource> DiskSource::Open(const std::wstring& path, DWORD& error) {
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    UniqueFile file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    if (!file) {
        error = GetLastError();
        return nullptr;
    }
    uint64_t size = 0;
    const bool device = IsDevicePath(path);
    if (device) {
        GET_LENGTH_INFORMATION length{};
        DWORD returned = 0;
        if (!DeviceIoControl(file.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length,
                             sizeof length, &returned, nullptr)) {
            error = GetLastError();
            return nullptr;
        }
        size = static_cast<uint64_t>(length.Length.QuadPart);
    } else {
        LARGE_INTEGER length{};
        if (!GetFileSizeEx(file.get(), &length)) {
            error = GetLastError();
            return nullptr;
        }
        size = static_cast<uint64_t>(length.QuadPart);
    }
    error = ERROR_SUCCESS;
    return std::unique_ptr<DiskSource>(
        new DiskSource(std::move(file), size, device ? kDiskSectorBytes : 1));
}

bool DiskSource::ReadDirect(uint64_t offset, size_t count, uint8_t* destination) {
    while (count > 0) {
        // Each read names its own offset: reads from many threads at once
        // do not disturb one another.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min(count, kLargestRead));
        DWORD read = 0;
        if (!ReadFile(file_.get(), destination, wanted, &read, &at) || read == 0) {
            return false;
        }
        offset += read;
        destination += read;
        count -= read;
    }
    return true;
}

bool DiskSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > size_ || count > size_ - offset) {
        return false;
    }
    if (sectorBytes_ == 1 || (offset % sectorBytes_ == 0 && count % sectorBytes_ == 0)) {
        return ReadDirect(offset, count, destination);
    }
    // The whole sectors around the range, a piece at a time.
    std::vector<uint8_t> sectors;
    while (count > 0) {
        const uint64_t first = offset - offset % sectorBytes_;
        const size_t inside = static_cast<size_t>(offset - first);
        const size_t part = std::min(count, kLargestRead - inside);
        const uint64_t end = std::min<uint64_t>(
            (offset + part + sectorBytes_ - 1) / sectorBytes_ * sectorBytes_, size_);
        sectors.resize(static_cast<size_t>(end - first));
        if (!ReadDirect(first, sectors.size(), sectors.data())) {
            return false;
        }
        std::copy_n(sectors.begin() + static_cast<std::ptrdiff_t>(inside), part, destination);
        offset += part;
        destination += part;
        count -= part;
    }
    return true;
}

}  // namespace win
