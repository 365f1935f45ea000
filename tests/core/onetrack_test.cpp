#include "core/onetrack.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(OneTrack, NewRecordHoldsDefaults) {
    const OneTrack track;
    EXPECT_EQ(track.GetTitle(), u"");
    EXPECT_EQ(track.GetArtist(), u"");
    EXPECT_EQ(track.GetAlbum(), u"");
    EXPECT_EQ(track.GetFileType(), "");
    EXPECT_EQ(track.GetPath(), "");
    EXPECT_EQ(track.GetLengthText(), "0:00");
    EXPECT_EQ(track.GetSeconds(), 0);
    EXPECT_EQ(track.GetTrackType(), "Unknown");
    EXPECT_EQ(track.GetBitRate(), 0);
    EXPECT_EQ(track.GetSampleRate(), 0);
    EXPECT_EQ(track.GetTrackNumber(), 0);
}

struct LengthCase {
    uint32_t milliseconds;
    const char* text;
    int32_t seconds;
};

TEST(OneTrack, LengthTextAndSeconds) {
    const LengthCase cases[] = {
        {0, "0:00", 0},
        {999, "0:00", 0},
        {59999, "0:59", 59},
        {60000, "1:00", 60},
        {187000, "3:07", 187},
        {600000, "10:00", 600},
        {3599999, "59:59", 3599},
        {3600000, "1:00:00", 3600},
        {3723000, "1:02:03", 3723},
        {86399000, "23:59:59", 86399},
        {86400000, "1d 00:00:00", 86400},
        {90061000, "1d 01:01:01", 90061},
        {864000000, "10d 00:00:00", 864000},
        {2147483648u, "24d 20:31:23", 2147483},
        {4294967295u, "49d 17:02:47", 4294967},
    };
    for (const LengthCase& c : cases) {
        OneTrack track;
        track.SetLength(c.milliseconds);
        EXPECT_EQ(track.GetLengthText(), c.text) << c.milliseconds;
        EXPECT_EQ(track.GetSeconds(), c.seconds) << c.milliseconds;
    }
}

TEST(OneTrack, TrackTypeNamesByWholeCode) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "Audio/Video"}, {1, "Audio"},         {2, "Video"},         {3, "Unknown"},
        {4, "Podcase"},     {5, "Unknown"},       {6, "Video Podcast"}, {7, "Unknown"},
        {8, "Audiobook"},   {9, "Unknown"},       {31, "Unknown"},      {32, "Music Video"},
        {33, "Unknown"},    {64, "TV Show"},      {65, "Unknown"},      {96, "Music TV Show"},
        {97, "Unknown"},    {0x10000, "Unknown"}, {-1, "Unknown"},      {INT32_MIN, "Unknown"},
    };
    for (const auto& [code, name] : cases) {
        OneTrack track;
        track.SetMediaType(code);
        EXPECT_EQ(track.GetTrackType(), name) << code;
    }
}

TEST(OneTrack, SampleRateIsTheUpperHalfOfTheRawField) {
    const std::pair<uint32_t, int32_t> cases[] = {
        {0, 0},          {44100u << 16, 44100}, {(22050u << 16) | 0xFFFF, 22050},
        {0x0000FFFF, 0}, {0xFFFF0000, 65535},   {0xFFFFFFFF, 65535},
    };
    for (const auto& [raw, hertz] : cases) {
        OneTrack track;
        track.SetSampleRate(raw);
        EXPECT_EQ(track.GetSampleRate(), hertz) << raw;
    }
}

TEST(OneTrack, LocationColonsBecomeBackslashes) {
    const std::pair<const char*, const char*> cases[] = {
        {":iPod_Control:Music:F00:ABCD.mp3", "\\iPod_Control\\Music\\F00\\ABCD.mp3"},
        {"plain.mp3", "plain.mp3"},
        {"::", "\\\\"},
        {"", ""},
    };
    for (const auto& [location, path] : cases) {
        OneTrack track;
        track.SetLocation(location);
        EXPECT_EQ(track.GetPath(), path);
    }
}

TEST(OneTrack, NumbersAndTextsAreKeptUnchanged) {
    OneTrack track;
    const std::u16string cyrillic = u"\u041F\u0435\u0441\u043D\u044F";
    const std::u16string japanese = u"\u6D77\u306E\u58F0 \U0001F3B5";
    track.SetTitle(cyrillic);
    track.SetArtist(japanese);
    track.SetAlbum(u"Caf\u00E9");
    track.SetFileType("MPEG audio file");
    track.SetTrackNumber(-7);
    track.SetBitRate(320);
    EXPECT_EQ(track.GetTitle(), cyrillic);
    EXPECT_EQ(track.GetArtist(), japanese);
    EXPECT_EQ(track.GetAlbum(), u"Caf\u00E9");
    EXPECT_EQ(track.GetFileType(), "MPEG audio file");
    EXPECT_EQ(track.GetTrackNumber(), -7);
    EXPECT_EQ(track.GetBitRate(), 320);
}

}  // namespace
