#include "app/jpegs_ahead.h"

#include <algorithm>
#include <utility>

#include "win/jpeg_file.h"

namespace {

// As many as the machines it is made for have cores.
constexpr int kEncoders = 2;

}  // namespace

JpegsAhead::JpegsAhead(size_t count, Wanted wanted, Load load)
    : count_(count), wanted_(std::move(wanted)), load_(std::move(load)) {
    for (int encoder = 0; encoder < kEncoders; ++encoder) {
        threads_.emplace_back([this] { EncodeAhead(); });
    }
}

JpegsAhead::~JpegsAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::optional<JpegsAhead::Encoded> JpegsAhead::Take(size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    taken_ = std::max(taken_, index);
    DropBefore(index);
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_.count(index) > 0; });
    const auto found = done_.find(index);
    std::optional<Encoded> encoded = std::move(found->second);
    done_.erase(found);
    heldBytes_ -= encoded ? encoded->Jpeg.size() : 0;
    taken_ = index + 1;
    changed_.notify_all();
    return encoded;
}

void JpegsAhead::DropBefore(size_t index) {
    while (!done_.empty() && done_.begin()->first < index) {
        const std::optional<Encoded>& encoded = done_.begin()->second;
        heldBytes_ -= encoded ? encoded->Jpeg.size() : 0;
        done_.erase(done_.begin());
    }
}

std::optional<size_t> JpegsAhead::NextToEncode(std::unique_lock<std::mutex>& lock) {
    for (;;) {
        next_ = std::max(next_, taken_);  // the run may have passed pictures by
        while (next_ < count_ && !wanted_(next_)) {
            ++next_;
        }
        if (stopping_ || next_ >= count_) {
            return std::nullopt;
        }
        if (next_ < taken_ + kAhead && heldBytes_ < kAheadBytes) {
            return next_++;
        }
        changed_.wait(lock);
    }
}

void JpegsAhead::EncodeAhead() {
    win::JpegWriter jpeg;  // made, used and let go on this thread, where its COM lives
    std::unique_lock<std::mutex> lock(mutex_);
    while (const std::optional<size_t> index = NextToEncode(lock)) {
        lock.unlock();
        std::optional<Encoded> encoded;
        if (const std::optional<Picture> picture = load_(*index)) {
            encoded.emplace();
            encoded->Result = jpeg.Encode(*picture, encoded->Jpeg);
        }
        lock.lock();
        if (*index >= taken_) {
            heldBytes_ += encoded ? encoded->Jpeg.size() : 0;
            done_.emplace(*index, std::move(encoded));
            changed_.notify_all();
        }
    }
}
