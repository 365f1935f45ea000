#include "core/track_id_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"

namespace {

TEST(TrackIdTable, FindsEveryIdAddedAndTheFirstOfTwins) {
    std::vector<OneTrack> tracks(3003);
    MemoryBudget budget(1 << 20);
    TrackIdTable table;
    // Consecutive ids, ids that differ only in their high bits, 0 and the
    // largest, descending ones, and ids that a hash table folding the high
    // bits into the low ones would put side by side.
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < 1000; ++i) {
        ids.push_back(i);
        ids.push_back(0x10000u * (i + 1) + 7);
        ids.push_back(0xFFFFFFFFu - i);
    }
    for (uint32_t h = 1; h <= 3; ++h) {
        ids.push_back(h << 18 | ((h << 4) ^ (h >> 10)));
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_TRUE(table.Add(ids[i], &tracks[i], budget));
    }
    ASSERT_TRUE(table.Add(ids[5], &tracks[0], budget));
    ASSERT_TRUE(table.Sort(budget));
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(table.Find(ids[i]), &tracks[i]) << ids[i];
    }
    // Look-ups in any order, each starting where the one before ended.
    for (size_t step = 0; step < ids.size(); ++step) {
        const size_t i = step * 7919 % ids.size();
        EXPECT_EQ(table.Find(ids[i]), &tracks[i]) << ids[i];
        EXPECT_EQ(table.Find(ids[i] + 2000000), nullptr);
    }
    EXPECT_EQ(table.Find(5000), nullptr);
    EXPECT_EQ(table.Find(0x10000u * 1001 + 7), nullptr);

    // Ids close together, as a player gives them, ids below and above them.
    TrackIdTable close;
    for (const uint32_t id : {58u, 52u, 55u, 52u, 61u}) {
        ASSERT_TRUE(close.Add(id, &tracks[id], budget));
    }
    ASSERT_TRUE(close.Sort(budget));
    for (const uint32_t id : {52u, 55u, 58u, 61u}) {
        EXPECT_EQ(close.Find(id), &tracks[id]) << id;
    }
    for (const uint32_t id : {0u, 51u, 53u, 62u, 0xFFFFFFFFu}) {
        EXPECT_EQ(close.Find(id), nullptr) << id;
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
