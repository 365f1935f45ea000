#include "app/track_sort.h"

#include <gtest/gtest.h>

#include "core/onetrack.h"

namespace {

OneTrack WithTitle(const std::u16string& title) {
    OneTrack track;
    track.SetTitle(title);
    return track;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(CompareTracks, NumbersCompareAsNumbers) {
    OneTrack two, ten, minus;
    two.SetTrackNumber(2);
    ten.SetTrackNumber(10);
    minus.SetTrackNumber(-1);
    EXPECT_EQ(CompareTracks(two, ten, 0), -1);
    EXPECT_EQ(CompareTracks(ten, two, 0), 1);
    EXPECT_EQ(CompareTracks(minus, two, 0), -1);
    EXPECT_EQ(CompareTracks(two, two, 0), 0);

    OneTrack slow, fast;
    slow.SetBitRate(96);
    fast.SetBitRate(128);
    slow.SetSampleRate(22050u << 16);
    fast.SetSampleRate(44100u << 16);
    EXPECT_EQ(CompareTracks(slow, fast, 7), -1);
    EXPECT_EQ(CompareTracks(slow, fast, 8), -1);
    EXPECT_EQ(CompareTracks(fast, slow, 8), 1);
}

TEST(CompareTracks, LengthComparesWholeSecondsNotTheText) {
    OneTrack shorter, longer, almostLonger;
    shorter.SetLength(599000);  // 9:59
    longer.SetLength(600000);   // 10:00
    almostLonger.SetLength(600999);
    EXPECT_EQ(CompareTracks(shorter, longer, 4), -1);
    EXPECT_EQ(CompareTracks(longer, almostLonger, 4), 0);
}

TEST(CompareTracks, TextsIgnoreCaseAndFollowTheLanguage) {
    EXPECT_EQ(CompareTracks(WithTitle(u"Harbour"), WithTitle(u"hARBOUR"), 1), 0);
    // Lower-case titles are not placed after all upper-case ones.
    EXPECT_EQ(CompareTracks(WithTitle(u"apple"), WithTitle(u"Banana"), 1), -1);
    EXPECT_EQ(CompareTracks(WithTitle(u"Zebra"), WithTitle(u"apple"), 1), 1);
    EXPECT_EQ(CompareTracks(WithTitle(u"\u00C9t\u00E9"), WithTitle(u"Ete"), 1), 1);
    EXPECT_EQ(CompareTracks(WithTitle(u"\u0430\u0431"), WithTitle(u"\u0410\u0411"), 1), 0);

    OneTrack a, b;
    a.SetArtist(u"abbo");
    b.SetArtist(u"Beetles");
    a.SetAlbum(u"Same");
    b.SetAlbum(u"SAME");
    EXPECT_EQ(CompareTracks(a, b, 2), -1);
    EXPECT_EQ(CompareTracks(a, b, 3), 0);
}

TEST(CompareTracks, NarrowTextsOfTypeAndEncoding) {
    OneTrack audio, video;
    audio.SetMediaType(1);  // "Audio"
    video.SetMediaType(2);  // "Video"
    audio.SetFileType("mpeg audio file");
    video.SetFileType("AAC audio file");
    EXPECT_EQ(CompareTracks(audio, video, 5), -1);
    EXPECT_EQ(CompareTracks(audio, video, 6), 1);
}

TEST(CompareTracks, UnknownKeysCompareEqual) {
    OneTrack a, b;
    a.SetTrackNumber(1);
    b.SetTrackNumber(2);
    for (int key : {-1, 9, 100}) {
        EXPECT_EQ(CompareTracks(a, b, key), 0) << key;
    }
}

TEST(CompareTracks, RowCallbackPassesTheKey) {
    OneTrack a = WithTitle(u"b"), b = WithTitle(u"a");
    a.SetTrackNumber(1);
    b.SetTrackNumber(2);
    const auto rowA = reinterpret_cast<LPARAM>(&a);
    const auto rowB = reinterpret_cast<LPARAM>(&b);
    EXPECT_EQ(Sign(CompareTrackRows(rowA, rowB, 0)), -1);
    EXPECT_EQ(Sign(CompareTrackRows(rowA, rowB, 1)), 1);
    EXPECT_EQ(Sign(CompareTrackRows(0, rowB, 1)), -1);
}

}  // namespace
