// Sequential binary input with a buffer of its own. Relative skips that stay
// inside the buffer cost nothing; longer ones reposition the file lazily on
// the next read. (The C runtime on Windows drops its buffer on every seek,
// which makes a reader that skips small gaps between fields very slow.)
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class BufferedInput {
public:
    BufferedInput() = default;
    BufferedInput(const BufferedInput&) = delete;
    BufferedInput& operator=(const BufferedInput&) = delete;

    // Opens a file by its narrow (ANSI) name for binary reading.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }

    // Size of the file in bytes, as found when it was opened.
    int64_t Size() const { return size_; }
    int64_t Tell() const { return position_; }
    int64_t Remaining() const { return position_ < size_ ? size_ - position_ : 0; }

    // Reads up to count bytes and returns how many were read; fewer means the
    // end of the file (or a read error) came first.
    size_t Read(uint8_t* destination, size_t count) {
        // Fast path for the many small reads that lie inside the buffer.
        if (position_ >= bufferStart_ && position_ + static_cast<int64_t>(count) <=
                                             bufferStart_ + static_cast<int64_t>(bufferLength_)) {
            std::memcpy(destination, buffer_.data() + (position_ - bufferStart_), count);
            position_ += static_cast<int64_t>(count);
            return count;
        }
        return ReadAcrossBuffer(destination, count);
    }

    // Moves to an absolute offset. Offsets past the end are allowed (reads
    // there come back short); negative ones are refused.
    bool SeekTo(int64_t offset);
    bool Skip(int64_t delta) { return SeekTo(position_ + delta); }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    size_t ReadAcrossBuffer(uint8_t* destination, size_t count);
    bool Refill();

    std::unique_ptr<std::FILE, FileCloser> file_;
    int64_t size_ = 0;
    int64_t position_ = 0;       // logical position of the next byte to read
    int64_t bufferStart_ = 0;    // file offset of buffer_[0]
    size_t bufferLength_ = 0;    // valid bytes in buffer_
    int64_t filePosition_ = -1;  // where the FILE stands, -1 when unknown
    std::vector<uint8_t> buffer_;
};
