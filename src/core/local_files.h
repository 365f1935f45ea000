// The player's files as this machine's own files: a player attached with a
// drive letter, or a folder that holds a copy of one. Paths are real paths.
#pragma once

#include <cstdio>
#include <mutex>

#include "player_files.h"

// One file opened for reading; a read that goes on where the last one
// ended needs no seek.
class LocalFile : public PlayerFile {
public:
    // Null when it cannot be opened.
    static std::unique_ptr<LocalFile> Open(const std::string& ansiPath);
    static std::unique_ptr<LocalFile> Open(std::u16string_view path);

    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    static std::unique_ptr<LocalFile> Adopt(std::FILE* file);
    LocalFile(std::FILE* file, uint64_t size) : file_(file), size_(size) {}

    std::unique_ptr<std::FILE, FileCloser> file_;
    uint64_t size_;
    uint64_t position_ = 0;  // where the stream stands
};

// An image file of this machine as a disk's bytes, read from any thread.
class ImageFileSource : public BlockSource {
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<ImageFileSource> Open(const std::string& ansiPath);
    uint64_t Size() const override { return file_->Size(); }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    explicit ImageFileSource(std::unique_ptr<LocalFile> file) : file_(std::move(file)) {}

    std::mutex reading_;  // the file has one position for every thread
    std::unique_ptr<LocalFile> file_;
};

// Whether `files` are this machine's own, which the system can copy itself.
bool AreThisMachines(const PlayerFiles& files);

class LocalFiles : public PlayerFiles {
public:
    // `volumeName` is the drive's label.
    explicit LocalFiles(std::u16string volumeName = {}) : volumeName_(std::move(volumeName)) {}
    std::u16string VolumeName() const override { return volumeName_; }
    std::unique_ptr<PlayerFile> Open(std::u16string_view path) override;
    std::optional<std::vector<PlayerFileEntry>> ListFolder(std::u16string_view path) override;
    std::unique_ptr<PlayerFile> OpenAnsi(const std::string& path) override;

private:
    std::u16string volumeName_;
};
