// What every reader of the player needs of its files: open one by its path,
// read it at an offset, list a folder. A player reached through a drive
// letter and one read from its own file system in a disk image look the
// same through it. A path is what the program names the file by: on a
// drive a real path ("F:\iPod_Control\iTunes\iTunesDB"), in a volume one
// from its root ("\iPod_Control\iTunes\iTunesDB"; '/' or '\' between the
// parts, any letter case).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "block_source.h"

struct PlayerFileEntry {
    std::u16string Name;  // composed, as Windows shows it
    bool IsFolder = false;
    uint64_t Size = 0;  // of a file's data
};

// When a file was last written, in seconds since 1970: UTC, or where the
// volume keeps only the local time of the machine that wrote it (FAT), that
// local time counted the same way.
struct WrittenTime {
    int64_t Seconds = 0;
    bool Local = false;
};

class PlayerFile {
public:
    virtual ~PlayerFile() = default;
    virtual uint64_t Size() const = 0;
    // Nothing where it is not known.
    virtual std::optional<WrittenTime> LastWritten() const { return std::nullopt; }
    // Reads exactly `count` bytes at `offset`; false past the end or when
    // the medium cannot give them.
    virtual bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) = 0;
};

// Reads what the file holds of `count` bytes at `offset` and returns how
// many; 0 at the end or when they cannot be read.
size_t ReadUpTo(PlayerFile& file, uint64_t offset, size_t count, uint8_t* destination);

class PlayerFiles {
public:
    virtual ~PlayerFiles() = default;
    // The volume's own name, as a Mac or Windows shows it.
    virtual std::u16string VolumeName() const = 0;
    // Null when the path names no file (a folder is no file).
    virtual std::unique_ptr<PlayerFile> Open(std::u16string_view path) = 0;
    // The entries of a folder ("" is a volume's root); nothing when the path
    // names no folder.
    virtual std::optional<std::vector<PlayerFileEntry>> ListFolder(std::u16string_view path) = 0;
    // Open for a path in narrow (ANSI) text, as the readers build them.
    virtual std::unique_ptr<PlayerFile> OpenAnsi(const std::string& path);
};

// The path's parts between '/' and '\' separators; empty parts dropped.
std::vector<std::u16string_view> PathParts(std::u16string_view path);

// The size of the file at `path`; nothing when it cannot be opened.
std::optional<int64_t> FileSizeOn(PlayerFiles& files, const std::string& path);
// Reads `count` bytes at `offset` of the file at `path`; false when it
// cannot be opened or holds fewer.
bool ReadRangeOn(PlayerFiles& files, const std::string& path, uint64_t offset, size_t count,
                 uint8_t* destination);

// One run of a file's bytes on the source: the file's bytes from
// `FileOffset` on lie at `SourceOffset`, `Length` of them.
struct FileExtent {
    uint64_t FileOffset = 0;
    uint64_t SourceOffset = 0;
    uint64_t Length = 0;
};

// A file whose bytes lie in extents of a block source: what both volume
// readers hand out.
class ExtentFile : public PlayerFile {
public:
    ExtentFile(std::shared_ptr<BlockSource> source, std::vector<FileExtent> extents, uint64_t size,
               std::optional<WrittenTime> written = std::nullopt)
        : source_(std::move(source)),
          extents_(std::move(extents)),
          size_(size),
          written_(written) {}
    uint64_t Size() const override { return size_; }
    std::optional<WrittenTime> LastWritten() const override { return written_; }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    std::shared_ptr<BlockSource> source_;
    std::vector<FileExtent> extents_;  // in file order, without gaps
    uint64_t size_;
    std::optional<WrittenTime> written_;
};
