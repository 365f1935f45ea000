#include "core/csv_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"

namespace {

TEST(CsvFormat, HeaderLineKeepsTheProgramsCaptions) {
    EXPECT_EQ(CsvHeaderLine(),
              u"\"Track Number\",\"Title\",\"Arist\",\"Album\",\"Length\",\"Track Type\","
              u"\"Encoding\",\"Bit Rate\",\"Sample Rate\"\n");
}

TEST(CsvFormat, QuotedFieldDoublesQuotesOnly) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u"\"\""},
        {u"plain", u"\"plain\""},
        {u"say \"hi\"", u"\"say \"\"hi\"\"\""},
        {u"a, b\r\nc", u"\"a, b\r\nc\""},
        {std::u16string(u"cut\0here", 8), u"\"cut\""},
        {u"\u041F\u0435", u"\"\u041F\u0435\""},
    };
    for (const auto& [text, quoted] : cases) {
        std::u16string line;
        AppendQuotedField(line, text);
        EXPECT_EQ(line, quoted);
    }
}

TEST(CsvFormat, TrackLineHasNineFieldsAndALineFeed) {
    OneTrack track;
    track.SetTrackNumber(7);
    track.SetTitle(u"Song, \"live\"");
    track.SetArtist(u"\u6D77");
    track.SetLength(187000);
    track.SetMediaType(4);
    track.SetFileType("MPEG audio file");
    track.SetBitRate(128);
    track.SetSampleRate(44100u << 16);
    EXPECT_EQ(CsvTrackLine(track),
              u"7,\"Song, \"\"live\"\"\",\"\u6D77\",\"\",\"3:07\",\"Podcase\","
              u"\"MPEG audio file\",\"128 kBps\",\"44100 Hz\"\n");
}

TEST(CsvFormat, EmptyRecordAndNegativeNumbers) {
    OneTrack track;
    EXPECT_EQ(CsvTrackLine(track),
              u"0,\"\",\"\",\"\",\"0:00\",\"Unknown\",\"\",\"0 kBps\",\"0 Hz\"\n");
    track.SetTrackNumber(-2147483647 - 1);
    track.SetBitRate(-5);
    EXPECT_EQ(CsvTrackLine(track).substr(0, 12), u"-2147483648,");
    EXPECT_NE(CsvTrackLine(track).find(u"\"-5 kBps\""), std::u16string::npos);
}

TEST(CsvFormat, NarrowFieldsAreWidenedFromTheCodePage) {
    OneTrack track;
    track.SetFileType("Caf\xE9 \x80");
    EXPECT_NE(CsvTrackLine(track).find(u"\"Caf\u00E9 \u20AC\""), std::u16string::npos);
}

TEST(CsvFormat, ExtraColumnsFollowTheNineQuotedOnOneLine) {
    std::vector<TrackColumnId> columns(StandardColumns().begin(), StandardColumns().end());
    columns.insert(columns.end(), {TrackColumnId::Year, TrackColumnId::Rating, TrackColumnId::Plays,
                                   TrackColumnId::Comment});
    EXPECT_EQ(
        CsvHeaderLine(columns),
        u"\"Track Number\",\"Title\",\"Arist\",\"Album\",\"Length\",\"Track Type\","
        u"\"Encoding\",\"Bit Rate\",\"Sample Rate\",\"Year\",\"Rating\",\"Plays\",\"Comment\"\n");
    OneTrack track;
    track.SetRating(60);
    track.SetPlayCount(12);
    track.SetComment(u"say \"hi\"\r\nagain");
    EXPECT_EQ(CsvTrackLine(track, columns),
              u"0,\"\",\"\",\"\",\"0:00\",\"Unknown\",\"\",\"0 kBps\",\"0 Hz\",\"\","
              u"\"\u2605\u2605\u2605\",\"12\",\"say \"\"hi\"\"  again\"\n");
}

TEST(CsvFormat, Utf16LittleEndianBytes) {
    EXPECT_EQ(Utf16LeBytes(u"\"A\u20AC", true), std::string("\xFF\xFE\x22\x00\x41\x00\xAC\x20", 8));
    EXPECT_EQ(Utf16LeBytes(u"\n"), std::string("\x0A\x00", 2));
}

}  // namespace
