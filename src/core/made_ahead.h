// Results made ahead of the run that takes them: the work for item 0, 1,
// 2 ... of a run is done on threads of their own from the moment the items
// are known, and the run takes each when it comes to it, waiting only when
// it is not made yet. At most `Ahead` results, or `Bytes` of them, are kept
// ahead of the run, so that a long run does not fill the memory.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

struct AheadLimits {
    int Threads = 1;
    size_t Ahead = 64;
    size_t Bytes = size_t{16} << 20;
};

template <typename Result>
class MadeAhead {
public:
    // Whether the run will want item `index`'s result at all.
    using Wanted = std::function<bool(size_t index)>;
    // Item `index`'s result; nothing when it cannot be made.
    using Make = std::function<std::optional<Result>(size_t index)>;
    // Called once on each thread, where the maker it gives is used and let
    // go: what it holds may belong to that thread.
    using StartMaker = std::function<Make()>;
    // How many bytes a result holds.
    using Weigh = std::function<size_t(const Result&)>;

    // Starts making the wanted ones of `count` results.
    MadeAhead(size_t count, AheadLimits limits, Wanted wanted, StartMaker startMaker, Weigh weigh)
        : count_(count),
          limits_(limits),
          wanted_(std::move(wanted)),
          startMaker_(std::move(startMaker)),
          weigh_(std::move(weigh)) {
        for (int thread = 0; thread < limits_.Threads; ++thread) {
            threads_.emplace_back([this] { MakeAhead(); });
        }
    }
    MadeAhead(const MadeAhead&) = delete;
    MadeAhead& operator=(const MadeAhead&) = delete;
    // Stops: the results under way are finished and thrown away.
    ~MadeAhead() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    // Wanted item `index`'s result, waited for; nothing when it could not
    // be made. Taken in order: the results before `index` not taken are
    // thrown away.
    std::optional<Result> Take(size_t index) {
        std::unique_lock<std::mutex> lock(mutex_);
        taken_ = std::max(taken_, index);
        DropBefore(index);
        changed_.notify_all();
        changed_.wait(lock, [&] { return done_.count(index) > 0; });
        const auto found = done_.find(index);
        std::optional<Result> result = std::move(found->second);
        done_.erase(found);
        heldBytes_ -= result ? weigh_(*result) : 0;
        taken_ = index + 1;
        changed_.notify_all();
        return result;
    }

private:
    void DropBefore(size_t index) {
        while (!done_.empty() && done_.begin()->first < index) {
            const std::optional<Result>& result = done_.begin()->second;
            heldBytes_ -= result ? weigh_(*result) : 0;
            done_.erase(done_.begin());
        }
    }

    // The next item a thread may make, or none when the making ends.
    std::optional<size_t> NextToMake(std::unique_lock<std::mutex>& lock) {
        for (;;) {
            next_ = std::max(next_, taken_);  // the run may have passed items by
            while (next_ < count_ && !wanted_(next_)) {
                ++next_;
            }
            if (stopping_ || next_ >= count_) {
                return std::nullopt;
            }
            if (next_ < taken_ + limits_.Ahead && heldBytes_ < limits_.Bytes) {
                return next_++;
            }
            changed_.wait(lock);
        }
    }

    void MakeAhead() {
        const Make make = startMaker_();
        std::unique_lock<std::mutex> lock(mutex_);
        while (const std::optional<size_t> index = NextToMake(lock)) {
            lock.unlock();
            std::optional<Result> result = make(*index);
            lock.lock();
            if (*index >= taken_) {
                heldBytes_ += result ? weigh_(*result) : 0;
                done_.emplace(*index, std::move(result));
                changed_.notify_all();
            }
        }
    }

    const size_t count_;
    const AheadLimits limits_;
    const Wanted wanted_;
    const StartMaker startMaker_;
    const Weigh weigh_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;   // the next item to make
    size_t taken_ = 0;  // the run's next item
    size_t heldBytes_ = 0;
    std::map<size_t, std::optional<Result>> done_;  // made, not yet taken
    bool stopping_ = false;
    std::vector<std::thread> threads_;  // last: they end before the rest goes
};
