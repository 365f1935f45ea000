#include "buffered_input.h"

#include <algorithm>

#include "inflated_stream.h"
#include "local_files.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;
static_assert(BufferedInput::kHistory < static_cast<int64_t>(kBufferSize));

}  // namespace

BufferedInput::BufferedInput() = default;
BufferedInput::~BufferedInput() = default;

bool BufferedInput::Open(const std::string& path) {
    return Open(LocalFile::Open(path));
}

bool BufferedInput::Open(std::unique_ptr<PlayerFile> file) {
    stream_.reset();
    file_ = std::move(file);
    if (!file_) {
        return false;
    }
    size_ = static_cast<int64_t>(std::min<uint64_t>(file_->Size(), INT64_MAX));
    position_ = 0;
    bufferStart_ = 0;
    bufferLength_ = 0;
    sourceStart_ = 0;
    sourcePosition_ = -1;
    buffer_.resize(kBufferSize);
    return true;
}

bool BufferedInput::InflateFrom(int64_t offset, int64_t limit) {
    stream_.reset();
    if (!file_ || offset < 0 || offset > size_) {
        return false;
    }
    stream_ = std::make_unique<InflatedStream>(*file_, static_cast<uint64_t>(offset), limit);
    position_ = offset;
    bufferStart_ = offset;
    bufferLength_ = 0;
    sourceStart_ = offset;
    sourcePosition_ = offset;
    return true;
}

bool BufferedInput::SeekTo(int64_t offset) {
    if (offset < 0) {
        return false;
    }
    position_ = offset;
    return true;
}

bool BufferedInput::Refill() {
    if (position_ < sourceStart_ || (!stream_ && position_ >= size_)) {
        return false;
    }
    // The new buffer starts kHistory bytes before the read position. Those
    // bytes are moved over from the old buffer where it holds them and the
    // source stands right behind it, as on every sequential read.
    const int64_t windowStart = std::max(position_ - kHistory, sourceStart_);
    const int64_t bufferEnd = bufferStart_ + static_cast<int64_t>(bufferLength_);
    size_t kept = 0;
    if (sourcePosition_ == bufferEnd && windowStart >= bufferStart_ && windowStart <= bufferEnd) {
        kept = static_cast<size_t>(bufferEnd - windowStart);
        std::memmove(buffer_.data(), buffer_.data() + (windowStart - bufferStart_), kept);
    } else if (!MoveSourceTo(windowStart)) {
        bufferLength_ = 0;
        return false;
    }
    bufferStart_ = windowStart;
    bufferLength_ = kept + ReadSource(buffer_.data() + kept, buffer_.size() - kept);
    return position_ < bufferStart_ + static_cast<int64_t>(bufferLength_);
}

bool BufferedInput::MoveSourceTo(int64_t offset) {
    if (!stream_) {
        sourcePosition_ = offset;  // a file is read at any offset
        return true;
    }
    // A stream only goes forward: the bytes up to `offset` are inflated into
    // the buffer and dropped.
    while (sourcePosition_ < offset) {
        const auto step =
            static_cast<size_t>(std::min<int64_t>(offset - sourcePosition_, buffer_.size()));
        if (ReadSource(buffer_.data(), step) < step) {
            return false;
        }
    }
    return sourcePosition_ == offset;
}

size_t BufferedInput::ReadSource(uint8_t* destination, size_t count) {
    const size_t got =
        stream_ ? stream_->Read(destination, count)
                : ReadUpTo(*file_, static_cast<uint64_t>(sourcePosition_), count, destination);
    sourcePosition_ += static_cast<int64_t>(got);
    return got;
}

size_t BufferedInput::ReadAcrossBuffer(uint8_t* destination, size_t count) {
    if (!file_) {
        return 0;
    }
    size_t done = 0;
    while (done < count) {
        const int64_t bufferEnd = bufferStart_ + static_cast<int64_t>(bufferLength_);
        if (position_ < bufferStart_ || position_ >= bufferEnd) {
            if (!Refill()) {
                break;
            }
            continue;
        }
        const auto offset = static_cast<size_t>(position_ - bufferStart_);
        const size_t chunk = std::min(count - done, bufferLength_ - offset);
        std::memcpy(destination + done, buffer_.data() + offset, chunk);
        done += chunk;
        position_ += static_cast<int64_t>(chunk);
    }
    return done;
}
