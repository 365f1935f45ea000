#include "block_source.h"

#include <cstring>

#include "file_range.h"

bool MemoryBlockSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
        return false;
    }
    if (count != 0) {
        std::memcpy(destination, bytes_.data() + offset, count);
    }
    return true;
}

std::unique_ptr<ImageFileSource> ImageFileSource::Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    if (!SeekFile(file, 0, SEEK_END)) {
        std::fclose(file);
        return nullptr;
    }
    const int64_t size = TellFile(file);
    if (size < 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<ImageFileSource>(new ImageFileSource(file, static_cast<uint64_t>(size)));
}

bool ImageFileSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > size_ || count > size_ - offset) {
        return false;
    }
    std::lock_guard<std::mutex> lock(reading_);
    return SeekFile(file_.get(), static_cast<int64_t>(offset), SEEK_SET) &&
           std::fread(destination, 1, count, file_.get()) == count;
}
