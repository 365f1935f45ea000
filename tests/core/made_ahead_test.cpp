#include "core/made_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

// Each result comes to the run in its turn, made by whichever thread, with
// the ones the run passes by thrown away; the makers never run further
// ahead of the run than the limits allow, by count or by bytes, and a run
// that ends early stops them.
TEST(MadeAhead, ResultsComeInTurnWithinTheLimits) {
    constexpr size_t kCount = 200;
    const auto wanted = [](size_t index) { return index % 5 != 0; };
    const auto made = [](size_t index) { return std::string(1 + index % 7, 'a' + index % 26); };
    for (const AheadLimits limits :
         {AheadLimits{1, 4, 1000}, AheadLimits{2, 64, 12}, AheadLimits{2, 3, 1}}) {
        SCOPED_TRACE(testing::Message()
                     << limits.Threads << " " << limits.Ahead << " " << limits.Bytes);
        std::atomic<size_t> taken{0};
        std::atomic<size_t> furthest{0};  // past the run's turn
        std::atomic<int> unwanted{0};
        MadeAhead<std::string> ahead(
            kCount, limits, wanted,
            [&]() -> MadeAhead<std::string>::Make {
                return [&](size_t index) -> std::optional<std::string> {
                    unwanted += wanted(index) ? 0 : 1;
                    const size_t past = index - std::min(index, taken.load());
                    furthest = std::max(furthest.load(), past);
                    return index % 11 == 3 ? std::nullopt : std::optional(made(index));
                };
            },
            [](const std::string& result) { return result.size(); });
        for (size_t index = 1; index < kCount / 2; ++index) {
            if (!wanted(index) || index % 3 == 2) {  // every third passed by
                continue;
            }
            taken = index;
            const std::optional<std::string> result = ahead.Take(index);
            ASSERT_EQ(result.has_value(), index % 11 != 3) << index;
            EXPECT_EQ(result.value_or(made(index)), made(index));
        }
        EXPECT_EQ(unwanted, 0);
        // The results held ahead weigh up to 7 bytes each.
        EXPECT_LE(furthest, std::min(limits.Ahead, limits.Bytes + 1) + 5);
    }
}

}  // namespace
