#include "core/file_name_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "core/onetrack.h"

namespace {

OneTrack Track(int32_t number, std::u16string title, std::u16string artist = u"Artist",
               std::u16string album = u"Album") {
    OneTrack track;
    track.SetTrackNumber(number);
    track.SetTitle(std::move(title));
    track.SetArtist(std::move(artist));
    track.SetAlbum(std::move(album));
    return track;
}

TEST(BuildTargetFileName, ReplacesPlaceholdersAndForbiddenCharacters) {
    const struct {
        const char* name;
        std::u16string pattern;
        OneTrack track;
        std::u16string expected;
    } cases[] = {
        {"usual pattern, trimmed artist with a solidus", u"%tracknumber% - %artist% - %title%",
         Track(7, u"Song One", u" Left/Right "), u"7 - Left_Right - Song One"},
        {"track number 0", u"%tracknumber%", Track(0, u"T"), u"0"},
        {"negative track number", u"%tracknumber%", Track(-12, u"T"), u"-12"},
        {"case variants", u"%TITLE%|%Title%|%tItLe%", Track(1, u"x"), u"x_x_x"},
        {"repeated placeholder", u"%title% (%title%)", Track(1, u"Song"), u"Song (Song)"},
        {"unknown placeholder stays", u"%year% %title%", Track(1, u"Song"), u"%year% Song"},
        {"every forbidden character", u"%title%", Track(1, u"a/b\\c:d*e?f\"g<h>i|j"),
         u"a_b_c_d_e_f_g_h_i_j"},
        {"question mark and colon", u"%title%", Track(1, u"What?: Live"), u"What__ Live"},
        {"empty pattern", u"", Track(1, u"Song"), u""},
        {"no placeholder", u"fixed name", Track(1, u"Song"), u"fixed name"},
        {"title holding later placeholders", u"%title%",
         Track(1, u"%artist% & %album%", u"Band", u"Disc"), u"Band & Disc"},
        {"artist holding an earlier placeholder", u"%artist%", Track(1, u"T", u"%title%"),
         u"%title%"},
        {"only blanks becomes empty", u"[%title%]", Track(1, u"   "), u"[]"},
        {"controls trimmed at the ends, low lines inside", u"%title%",
         Track(1, u"\t\x01 a\tb\x7F\x85\u2028\u2029c \x1f"), u"a_b____c"},
        {"no line break leads a playlist line out", u"%artist%\\%album%\\%title%",
         Track(1, u"win", u"x\r\n.", u"Windows"), u"x__._Windows_win"},
        {"non-Latin letters never match", u"%T\u0130TLE% %title%", Track(1, u"x"),
         u"%T\u0130TLE% x"},
        {"device names and trailing dots pass", u"%title%.", Track(1, u"CON"), u"CON."},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(BuildTargetFileName(test.pattern, test.track), test.expected);
    }
}

TEST(BuildTargetFileName, LongNamesComeOutWhole) {
    const std::u16string title(300, u'a');
    EXPECT_EQ(BuildTargetFileName(u"%tracknumber% %title%", Track(1, title)), u"1 " + title);
}

TEST(ReplaceAllNoCase, MatchesDoNotOverlapAndReplacementsAreNotSearchedAgain) {
    EXPECT_EQ(ReplaceAllNoCase(u"aaaa", u"aa", u"b"), u"bb");
    EXPECT_EQ(ReplaceAllNoCase(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(ReplaceAllNoCase(u"%x%", u"%x%", u"%x%%x%"), u"%x%%x%");
    EXPECT_EQ(ReplaceAllNoCase(u"", u"a", u"b"), u"");
    EXPECT_EQ(ReplaceAllNoCase(u"abc", u"", u"b"), u"abc");
}

TEST(FindNoCase, FoldsOnlyAToZ) {
    EXPECT_EQ(FindNoCase(u"xx%TiTlE%", u"%title%"), 2u);
    EXPECT_EQ(FindNoCase(u"\u00E9", u"\u00C9"), std::nullopt);
    EXPECT_EQ(FindNoCase(u"[", u"{"), std::nullopt);  // 0x5B and 0x7B are not letters
    EXPECT_EQ(FindNoCase(u"ab", u"abc"), std::nullopt);
    EXPECT_EQ(FindNoCase(u"", u"a"), std::nullopt);
    EXPECT_EQ(FindNoCase(u"abab", u"AB", 1), 2u);
}

}  // namespace
