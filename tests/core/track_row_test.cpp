#include "core/track_row.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"
#include "core/track_columns.h"

namespace {

// Each column's text, also made in turn in one buffer, as the library file
// makes them: each must replace the one before whole.
std::vector<std::u16string> TrackColumnTexts(const OneTrack& track) {
    std::vector<std::u16string> texts;
    std::u16string buffer = u"a text longer than any of the columns' own";
    for (const auto columns : {StandardColumns(), ExtraColumns()}) {
        for (const TrackColumnId id : columns) {
            texts.push_back(ColumnOf(id).Text(track));
            ColumnOf(id).MakeText(track, buffer);
            EXPECT_EQ(buffer, texts.back());
        }
    }
    return texts;
}

TEST(TrackRow, ColumnTextsOfATrack) {
    OneTrack track;
    track.SetTrackNumber(12);
    track.SetTitle(u"\u041F\u0435\u0441\u043D\u044F");
    track.SetArtist(u"\u7F8E\u7A7A");
    track.SetAlbum(u"Caf\u00E9");
    track.SetLength(3723000);
    track.SetMediaType(8);
    track.SetFileType("AAC audio file \x80");
    track.SetBitRate(128);
    track.SetSampleRate(44100u << 16);
    const auto texts = TrackColumnTexts(track);
    EXPECT_EQ(texts[0], u"12");
    EXPECT_EQ(texts[1], u"\u041F\u0435\u0441\u043D\u044F");
    EXPECT_EQ(texts[2], u"\u7F8E\u7A7A");
    EXPECT_EQ(texts[3], u"Caf\u00E9");
    EXPECT_EQ(texts[4], u"1:02:03");
    EXPECT_EQ(texts[5], u"Audiobook");
    EXPECT_EQ(texts[6], u"AAC audio file \u20AC");
    EXPECT_EQ(texts[7], u"128 kBps");
    EXPECT_EQ(texts[8], u"44100 Hz");
}

TEST(TrackRow, ZeroAndNegativeNumbers) {
    OneTrack track;
    track.SetTrackNumber(-3);
    const auto texts = TrackColumnTexts(track);
    EXPECT_EQ(texts[0], u"-3");
    EXPECT_EQ(texts[4], u"0:00");
    EXPECT_EQ(texts[5], u"Unknown");
    EXPECT_EQ(texts[6], u"");
    EXPECT_EQ(texts[7], u"0 kBps");
    EXPECT_EQ(texts[8], u"0 Hz");
}

TEST(TrackRow, ProgressFollowsTheRowsTruncated) {
    EXPECT_EQ(ProgressPercent(1, 400), 0);
    EXPECT_EQ(ProgressPercent(4, 400), 1);
    EXPECT_EQ(ProgressPercent(399, 400), 99);
    EXPECT_EQ(ProgressPercent(400, 400), 100);
    EXPECT_EQ(ProgressPercent(1, 1), 100);
    EXPECT_EQ(ProgressPercent(2147483647, 2147483647), 100);  // no overflow
    EXPECT_EQ(ProgressPercent(5, 0), 0);
}

TEST(TrackRow, DriveEntriesAndDatabasePaths) {
    EXPECT_EQ(DriveEntryText('F', "DEMOPOD"), "(F:)  DEMOPOD");
    EXPECT_EQ(DriveEntryText('G', ""), "(G:)  ");
    EXPECT_EQ(DriveDesignatorOf("(F:)  DEMOPOD"), "F:");
    EXPECT_EQ(DriveDesignatorOf("(G:)  "), "G:");
    EXPECT_EQ(DatabasePathOnDrive("F:"), "F:\\iPod_Control\\iTunes\\iTunesDB");
    EXPECT_EQ(CompressedDatabasePathOnDrive("G:"), "G:\\iPod_Control\\iTunes\\iTunesCDB");
}

}  // namespace
