#include "core/photo_plan.h"

#include <gtest/gtest.h>

#include "artwork_builder.h"
#include "core/photo_db.h"
#include "temp_dir.h"

namespace {

// The plan of photos 5 to 9, each with a small stored picture, in albums
// "Sea" (5, 6, 7) and "Hills" (8, 9), is charged to the budget it is given:
// where that runs out, the plan ends and counts the members it left out.
TEST(PhotoPlan, EndsWhereItsBudgetRunsOut) {
    const TempDir dir;
    std::vector<artwork::Entry> photos;
    for (uint32_t id = 5; id <= 9; ++id) {
        photos.push_back({id, 0, {artwork::Stored(1066, 64, artwork::SolidImage(64, 48, id))}});
    }
    const std::string folder = dir.File("Photos") + "/";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(artwork::WriteStore(
        folder,
        artwork::BuildStore(
            photos, {{u"", 1, {5, 6, 7, 8, 9}}, {u"Sea", 2, {5, 6, 7}}, {u"Hills", 2, {8, 9}}}),
        "Photo Database"));
    MemoryBudget readBudget(1 << 20);
    PhotoIndex index;
    index.Read(folder, readBudget);
    ASSERT_EQ(index.Count(), 5u);
    const auto noOriginals = [](const std::string&) { return false; };

    // The file list's first block, then each file's path with its end.
    const size_t block = 16 * sizeof(PhotoFile);
    const size_t sea = sizeof(u"Sea\\001.jpg");
    const size_t hills = sizeof(u"Hills\\001.jpg");
    const struct {
        size_t budget;
        size_t planned;
        size_t leftOut;
        std::u16string last;
    } rows[] = {
        {1 << 20, 5, 0, u"Hills\\002.jpg"},
        {block + 3 * sea + 2 * hills, 5, 0, u"Hills\\002.jpg"},
        {block + 3 * sea + hills, 4, 1, u"Hills\\001.jpg"},
        {block + 2 * sea, 2, 3, u"Sea\\002.jpg"},
        {block, 0, 5, u""},
        {0, 0, 5, u""},
    };
    for (const auto& row : rows) {
        MemoryBudget budget(row.budget);
        const PhotoPlan plan = PlanPhotoFiles(index, noOriginals, budget);
        EXPECT_EQ(plan.Files.size(), row.planned) << row.budget;
        EXPECT_EQ(plan.LeftOut, row.leftOut) << row.budget;
        EXPECT_EQ(plan.Files.empty() ? u"" : plan.Files.back().RelativePath, row.last)
            << row.budget;
    }
}

}  // namespace
