#include "local_files.h"

#include <filesystem>
#include <system_error>

#include "file_range.h"

namespace fs = std::filesystem;

namespace {

// A UTF-16 path as this system names files; nothing for one it cannot name
// (outside Windows: text that is no UTF-16 has no UTF-8 name).
std::optional<fs::path> SystemPath(std::u16string_view path) {
    try {
        return fs::path(std::u16string(path));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::unique_ptr<LocalFile> LocalFile::Adopt(std::FILE* file) {
    if (file == nullptr) {
        return nullptr;
    }
    int64_t size = -1;
    if (!SeekFile(file, 0, SEEK_END) || (size = TellFile(file)) < 0 ||
        !SeekFile(file, 0, SEEK_SET)) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<LocalFile>(new LocalFile(file, static_cast<uint64_t>(size)));
}

std::unique_ptr<LocalFile> LocalFile::Open(const std::string& ansiPath) {
    return Adopt(std::fopen(ansiPath.c_str(), "rb"));
}

std::unique_ptr<LocalFile> LocalFile::Open(std::u16string_view path) {
#ifdef _WIN32
    const std::wstring wide(path.begin(), path.end());
    return Adopt(_wfopen(wide.c_str(), L"rb"));
#else
    const std::optional<fs::path> named = SystemPath(path);
    return named ? Adopt(std::fopen(named->c_str(), "rb")) : nullptr;
#endif
}

bool LocalFile::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > size_ || count > size_ - offset) {
        return false;
    }
    if (offset != position_ && !SeekFile(file_.get(), static_cast<int64_t>(offset), SEEK_SET)) {
        return false;
    }
    const size_t got = std::fread(destination, 1, count, file_.get());
    position_ = offset + got;
    return got == count;
}

bool AreThisMachines(const PlayerFiles& files) {
    return dynamic_cast<const LocalFiles*>(&files) != nullptr;
}

std::unique_ptr<PlayerFile> LocalFiles::Open(std::u16string_view path) {
    return LocalFile::Open(path);
}

std::unique_ptr<PlayerFile> LocalFiles::OpenAnsi(const std::string& path) {
    return LocalFile::Open(path);
}

std::optional<std::vector<PlayerFileEntry>> LocalFiles::ListFolder(std::u16string_view path) {
    const std::optional<fs::path> folder = SystemPath(path);
    std::error_code error;
    fs::directory_iterator entries;
    if (folder) {
        entries = fs::directory_iterator(*folder, error);
    }
    if (!folder || error) {
        return std::nullopt;
    }
    std::vector<PlayerFileEntry> found;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error) {
            return std::nullopt;
        }
        PlayerFileEntry entry;
        try {
            entry.Name = entries->path().filename().u16string();
        } catch (const std::exception&) {
            continue;  // a name that is no text here cannot be opened by name either
        }
        entry.IsFolder = entries->is_directory(error);
        entry.Size = entry.IsFolder ? 0 : entries->file_size(error);
        found.push_back(std::move(entry));
    }
    return found;
}

std::unique_ptr<ImageFileSource> ImageFileSource::Open(const std::string& ansiPath) {
    std::unique_ptr<LocalFile> file = LocalFile::Open(ansiPath);
    return file ? std::unique_ptr<ImageFileSource>(new ImageFileSource(std::move(file))) : nullptr;
}

bool ImageFileSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    std::lock_guard<std::mutex> lock(reading_);
    return file_->ReadAt(offset, count, destination);
}
