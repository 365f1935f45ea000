#include "core/track_id_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"

namespace {

TEST(TrackIdTable, FindsEveryIdAddedAndTheFirstOfTwins) {
    std::vector<OneTrack> tracks(3000);
    TrackIdTable table;
    EXPECT_EQ(table.Find(0), nullptr);
    // Consecutive ids, ids that differ only in their high bits, 0 and the largest.
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < 1000; ++i) {
        ids.push_back(i);
        ids.push_back(0x10000u * (i + 1) + 7);
        ids.push_back(0xFFFFFFFFu - i);
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        table.Add(ids[i], &tracks[i]);
    }
    table.Add(ids[5], &tracks[0]);
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(table.Find(ids[i]), &tracks[i]) << ids[i];
    }
    EXPECT_EQ(table.Find(5000), nullptr);
    EXPECT_EQ(table.Find(0x10000u * 1001 + 7), nullptr);
}

}  // namespace
