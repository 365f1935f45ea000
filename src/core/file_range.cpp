#include "file_range.h"

#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool SeekFile(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}

std::optional<int64_t> FileSize(const std::string& path) {
    const UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file || !SeekFile(file.get(), 0, SEEK_END)) {
        return std::nullopt;
    }
    const int64_t size = TellFile(file.get());
    return size >= 0 ? std::optional(size) : std::nullopt;
}

bool ReadFileRange(const std::string& path, int64_t offset, size_t count, uint8_t* destination) {
    const UniqueFile file(std::fopen(path.c_str(), "rb"));
    return file && offset >= 0 && SeekFile(file.get(), offset, SEEK_SET) &&
           std::fread(destination, 1, count, file.get()) == count;
}
