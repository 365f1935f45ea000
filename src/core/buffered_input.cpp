#include "buffered_input.h"

#include <algorithm>

namespace {

constexpr size_t kBufferSize = 64 * 1024;

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

}  // namespace

bool BufferedInput::Open(const std::string& path) {
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        return false;
    }
    if (!SeekFile(file_.get(), 0, SEEK_END) || (size_ = TellFile(file_.get())) < 0) {
        file_.reset();
        return false;
    }
    position_ = 0;
    bufferStart_ = 0;
    bufferLength_ = 0;
    filePosition_ = -1;
    buffer_.resize(kBufferSize);
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
    if (position_ >= size_) {
        return false;
    }
    if (filePosition_ != position_ && !SeekFile(file_.get(), position_, SEEK_SET)) {
        filePosition_ = -1;
        return false;
    }
    bufferStart_ = position_;
    bufferLength_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    filePosition_ = bufferStart_ + static_cast<int64_t>(bufferLength_);
    return bufferLength_ > 0;
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
