#include "core/track_id_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"

namespace {

// Ids spread wide (consecutive, differing only in their high bits, 0 and the
// largest, descending, chosen to meet in a hash table that folds the high
// bits into the low ones) and ids close together, as a player gives them.
// Look-ups come in any order, each starting where the one before ended.
TEST(TrackIdTable, FindsEveryIdAddedAndTheFirstOfTwins) {
    std::vector<uint32_t> spread;
    for (uint32_t i = 0; i < 1000; ++i) {
        spread.insert(spread.end(),
                      {i, 0x10000u * (i + 1) + 7, 0xFFFFFFFFu - i, (i + 1) << 18 | (i + 1) << 4});
    }
    for (const std::vector<uint32_t>& ids : {spread, std::vector<uint32_t>{58, 52, 55, 61}}) {
        std::vector<OneTrack> tracks(ids.size());
        MemoryBudget budget(1 << 20);
        TrackIdTable table;
        for (size_t i = 0; i < ids.size(); ++i) {
            ASSERT_TRUE(table.Add(ids[i], &tracks[i], budget));
        }
        ASSERT_TRUE(table.Add(ids[1], &tracks[0], budget));  // the first of twins stays
        ASSERT_TRUE(table.Sort(budget));
        for (size_t step = 0; step < ids.size(); ++step) {
            const size_t i = step * 7919 % ids.size();
            EXPECT_EQ(table.Find(ids[i]), &tracks[i]) << ids[i];
            EXPECT_EQ(table.Find(ids[i] + 1000000), nullptr) << ids[i];
        }
    }
}

// The table charges its memory as it grows: an id and a pointer a track, in
// blocks of 16 and up, and a sort that must move them the same again.
TEST(TrackIdTable, ChargesWhatItTakes) {
    std::vector<OneTrack> tracks(17);
    MemoryBudget budget(16 * 2 * sizeof(void*));
    TrackIdTable table;
    for (uint32_t i = 0; i < 16; ++i) {
        ASSERT_TRUE(table.Add(16 - i, &tracks[i], budget)) << i;
    }
    EXPECT_FALSE(table.Add(0, &tracks[16], budget));
    EXPECT_FALSE(table.Sort(budget)) << "no room to sort";
    EXPECT_EQ(table.Find(16), nullptr);
    table.Free(budget);
    EXPECT_TRUE(budget.Charge(16 * 2 * sizeof(void*))) << "the table gives back what it took";
}

}  // namespace
