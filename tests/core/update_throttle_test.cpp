#include "core/update_throttle.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(UpdateThrottle, DueAtTheFirstCallThenOnceTheIntervalHasPassed) {
    UpdateThrottle::Clock::time_point now{};
    UpdateThrottle throttle(100ms, [&now] { return now; });
    for (const auto& [at, due] : {std::pair{0ms, true},
                                  {99ms, false},
                                  {100ms, true},
                                  {199ms, false},
                                  {450ms, true},
                                  {451ms, false}}) {
        now = UpdateThrottle::Clock::time_point{} + at;
        EXPECT_EQ(throttle.Due(), due) << at.count();
    }
}

}  // namespace
