#include "core/csv_file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/csv_format.h"
#include "core/onetrack.h"

namespace {

// Blocks of 300 bytes: the header and a track fill the first, three tracks
// each later one. A file that takes `fits` blocks, then refuses any more.
TEST(CsvFileWriter, WritesInBlocksAndNothingMoreOnceABlockFailed) {
    const struct {
        size_t fits;
        int tracksAccepted;  // of five
    } cases[] = {{99, 5}, {1, 3}, {0, 0}};
    for (const auto& [fits, tracksAccepted] : cases) {
        std::vector<std::string> blocks;
        CsvFileWriter writer(
            [&](std::string_view bytes) {
                blocks.emplace_back(bytes);
                return blocks.size() <= fits;
            },
            StandardColumns(), 300);
        std::u16string expected = CsvHeaderLine();
        int accepted = 0;
        for (int number = 1; number <= 5; ++number) {
            OneTrack track;
            track.SetTitle(u"Title \u041F" + std::u16string(static_cast<size_t>(number), u'x'));
            accepted += writer.WriteTrack(track) ? 1 : 0;
            expected += CsvTrackLine(track);
        }
        EXPECT_EQ(accepted, tracksAccepted) << fits;
        EXPECT_EQ(writer.Finish(), fits == 99) << fits;
        EXPECT_EQ(blocks.size(), std::min<size_t>(fits + 1, 3)) << fits;
        if (fits == 99) {
            EXPECT_EQ(blocks[0] + blocks[1] + blocks[2], Utf16LeBytes(expected, true));
        }
    }
}

}  // namespace
