// Lets a long loop do something costly, such as letting window messages
// through or repainting, a few times per second instead of at every step.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

class UpdateThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit UpdateThrottle(Clock::duration interval,
                            std::function<Clock::time_point()> now = Clock::now)
        : interval_(interval), now_(std::move(now)) {}

    // True at the first call, then whenever the interval has passed since
    // the last call that returned true.
    bool Due() {
        const Clock::time_point now = now_();
        if (last_ && now - *last_ < interval_) {
            return false;
        }
        last_ = now;
        return true;
    }

private:
    Clock::duration interval_;
    std::function<Clock::time_point()> now_;
    std::optional<Clock::time_point> last_;
};
