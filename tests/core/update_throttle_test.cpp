#include "core/update_throttle.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(UpdateThrottle, DueAtTheFirstCallThenOnceTheIntervalHasPassed) {
    UpdateThrottle::Clock::time_point now{};
    UpdateThrottle throttle(100ms, [&now] { return now; });
    const struct {
        std::chrono::milliseconds at;
        bool due;
    } steps[] = {{0ms, true},    {50ms, false}, {99ms, false}, {100ms, true},
                 {199ms, false}, {450ms, true}, {451ms, false}};
    for (const auto& [at, due] : steps) {
        now = UpdateThrottle::Clock::time_point{} + at;
        EXPECT_EQ(throttle.Due(), due) << at.count() << " ms";
    }
}

}  // namespace
