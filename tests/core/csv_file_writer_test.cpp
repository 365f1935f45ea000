#include "core/csv_file_writer.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/csv_format.h"
#include "core/onetrack.h"

namespace {

// Takes blocks until it is full.
struct FakeFile {
    std::vector<std::string> Blocks;
    size_t BlocksBeforeFull = std::numeric_limits<size_t>::max();

    CsvFileWriter::WriteBlock Writer() {
        return [this](std::string_view bytes) {
            if (Blocks.size() == BlocksBeforeFull) {
                return false;
            }
            Blocks.emplace_back(bytes);
            return true;
        };
    }
};

OneTrack NumberedTrack(int number) {
    OneTrack track;
    track.SetTrackNumber(number);
    track.SetTitle(u"Title \u041F " + std::u16string(static_cast<size_t>(number), u'x'));
    return track;
}

TEST(CsvFileWriter, WritesTheWholeFileInBlocksOfTheBlockSizeOrMore) {
    FakeFile file;
    CsvFileWriter writer(file.Writer(), 300);
    std::u16string expected = CsvHeaderLine();
    for (int number = 1; number <= 20; ++number) {
        const OneTrack track = NumberedTrack(number);
        ASSERT_TRUE(writer.WriteTrack(track));
        expected += CsvTrackLine(track);
    }
    EXPECT_TRUE(writer.Finish());

    std::string written;
    for (const std::string& block : file.Blocks) {
        written += block;
    }
    EXPECT_EQ(written, Utf16LeBytes(expected, true));
    ASSERT_GT(file.Blocks.size(), 2u);
    for (size_t block = 0; block + 1 < file.Blocks.size(); ++block) {
        EXPECT_GE(file.Blocks[block].size(), 300u);
    }
}

TEST(CsvFileWriter, AFailedBlockFailsEveryLaterStepAndNothingMoreIsWritten) {
    const struct {
        size_t blockSize;
        size_t blocksBeforeFull;
        int tracksWritten;  // before the first failure
    } cases[] = {
        {300, 0, 0},      // the first block: the header and the first track
        {300, 1, 3},      // the second block: the second to the fourth track
        {1 << 20, 0, 5},  // the only block, at the end
    };
    for (const auto& [blockSize, blocksBeforeFull, tracksWritten] : cases) {
        SCOPED_TRACE(blockSize);
        FakeFile file;
        file.BlocksBeforeFull = blocksBeforeFull;
        CsvFileWriter writer(file.Writer(), blockSize);
        int succeeded = 0;
        for (int number = 1; number <= 5; ++number) {
            succeeded += writer.WriteTrack(NumberedTrack(number)) ? 1 : 0;
        }
        EXPECT_EQ(succeeded, tracksWritten);
        EXPECT_FALSE(writer.Finish());
        EXPECT_EQ(file.Blocks.size(), blocksBeforeFull);
    }
}

}  // namespace
