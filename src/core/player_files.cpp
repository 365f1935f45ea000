#include "player_files.h"

#include <algorithm>

#include "ansi_text.h"

std::unique_ptr<PlayerFile> PlayerFiles::OpenAnsi(const std::string& path) {
    return Open(Utf16FromAnsi(path));
}

std::optional<int64_t> FileSizeOn(PlayerFiles& files, const std::string& path) {
    const std::unique_ptr<PlayerFile> file = files.OpenAnsi(path);
    return file ? std::optional<int64_t>(static_cast<int64_t>(file->Size())) : std::nullopt;
}

bool ReadRangeOn(PlayerFiles& files, const std::string& path, uint64_t offset, size_t count,
                 uint8_t* destination) {
    const std::unique_ptr<PlayerFile> file = files.OpenAnsi(path);
    return file && file->ReadAt(offset, count, destination);
}

size_t ReadUpTo(PlayerFile& file, uint64_t offset, size_t count, uint8_t* destination) {
    const uint64_t size = file.Size();
    const size_t available =
        offset >= size ? 0 : static_cast<size_t>(std::min<uint64_t>(count, size - offset));
    return available > 0 && file.ReadAt(offset, available, destination) ? available : 0;
}

std::vector<std::u16string_view> PathParts(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(u"/\\", start);
        if (end == std::u16string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

bool ExtentFile::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > size_ || count > size_ - offset) {
        return false;
    }
    // The extent that holds `offset`: the last one starting at or before it.
    auto extent = std::upper_bound(
        extents_.begin(), extents_.end(), offset,
        [](uint64_t wanted, const FileExtent& candidate) { return wanted < candidate.FileOffset; });
    if (count == 0) {
        return true;
    }
    if (extent == extents_.begin()) {
        return false;
    }
    --extent;
    while (count > 0) {
        if (extent == extents_.end() || offset < extent->FileOffset ||
            offset - extent->FileOffset >= extent->Length) {
            return false;  // the extents do not cover the file's size
        }
        const uint64_t inside = offset - extent->FileOffset;
        const size_t part = static_cast<size_t>(std::min<uint64_t>(count, extent->Length - inside));
        if (!source_->ReadAt(extent->SourceOffset + inside, part, destination)) {
            return false;
        }
        destination += part;
        offset += part;
        count -= part;
        ++extent;
    }
    return true;
}
