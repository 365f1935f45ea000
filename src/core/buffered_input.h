// Sequential binary input with a buffer of its own, over a file or, from an
// offset on, over the bytes inflated from a zlib stream stored there.
// Relative skips that stay inside the buffer cost nothing; longer ones
// reposition lazily on the next read. (The C runtime on Windows drops its
// buffer on every seek, which makes a reader that skips small gaps between
// fields very slow.) Every refill keeps the kHistory bytes before the read
// position, so that short moves back never need the source to go back: an
// inflated stream cannot.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "player_files.h"

class InflatedStream;

class BufferedInput {
public:
    // Bytes before the read position that a move back always finds.
    static constexpr int64_t kHistory = 4096;
    // An inflated stream ends after this many bytes: the file's offsets are
    // signed 32-bit numbers.
    static constexpr int64_t kInflatedLimit = 2147483647;

    BufferedInput();
    BufferedInput(const BufferedInput&) = delete;
    BufferedInput& operator=(const BufferedInput&) = delete;
    ~BufferedInput();

    // Opens a file by its narrow (ANSI) name for binary reading.
    bool Open(const std::string& path);
    // Reads `file`; false for none.
    bool Open(std::unique_ptr<PlayerFile> file);

    // From `offset` on, the input holds the bytes inflated from the zlib
    // stream that starts there in the file, at most `limit` of them, and
    // moves there; offsets before it read nothing any more. False when the
    // file cannot be positioned there.
    bool InflateFrom(int64_t offset, int64_t limit = kInflatedLimit);

    // Size of the file in bytes, as found when it was opened.
    int64_t Size() const { return size_; }
    int64_t Tell() const { return position_; }

    // Reads up to count bytes and returns how many were read; fewer means the
    // end of the input (or a read error) came first.
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

    // Where the next `count` bytes lie in the buffer when they all do there,
    // else null (and the input stays where it was): a caller that only looks
    // at them needs no copy. Moves past them.
    const uint8_t* ReadInPlace(size_t count) {
        if (position_ < bufferStart_ || position_ + static_cast<int64_t>(count) >
                                            bufferStart_ + static_cast<int64_t>(bufferLength_)) {
            return nullptr;
        }
        const uint8_t* bytes = buffer_.data() + (position_ - bufferStart_);
        position_ += static_cast<int64_t>(count);
        return bytes;
    }

    // Moves to an absolute offset. Offsets past the end are allowed (reads
    // there come back short); negative ones are refused.
    bool SeekTo(int64_t offset);
    bool Skip(int64_t delta) { return SeekTo(position_ + delta); }

private:
    size_t ReadAcrossBuffer(uint8_t* destination, size_t count);
    bool Refill();
    bool MoveSourceTo(int64_t offset);
    size_t ReadSource(uint8_t* destination, size_t count);

    std::unique_ptr<PlayerFile> file_;
    std::unique_ptr<InflatedStream> stream_;  // the source instead of the file, once set
    int64_t size_ = 0;
    int64_t position_ = 0;         // logical position of the next byte to read
    int64_t bufferStart_ = 0;      // logical offset of buffer_[0]
    size_t bufferLength_ = 0;      // valid bytes in buffer_
    int64_t sourceStart_ = 0;      // first offset the source holds
    int64_t sourcePosition_ = -1;  // where the source stands, -1 when unknown
    std::vector<uint8_t> buffer_;
};
