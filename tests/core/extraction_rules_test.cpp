#include "core/extraction_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/file_name_pattern.h"
#include "core/onetrack.h"
#include "core/track_name_plan.h"

namespace {

TEST(SourceExtension, StartsAtALastDotAfterEveryFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"F:\\iPod_Control\\Music\\F00\\ABCD.mp3", ".mp3"},
        {"F:\\iPod_Control\\Music\\F00\\AB.CD.m4a", ".m4a"},
        {"F:\\iPod_Control\\Music\\F00\\ABCD", ""},
        {"F:\\iPod_Control\\Music.d\\ABCD", ""},
        {"F:.x", ".x"},
        {"F:x.y:z", ""},
        {"F:\\dir\\name.", ""},
        {"F:\\Music\\..\\..\\Documents/x", ""},
        {"F:\\Music\\a.b/c", ""},
        {"F:\\Music\\a.mp3 ", ""},
        {"F:\\Music\\a.m p3", ""},
        {"F:\\Music\\a.\xE9t\xE9", ""},
        {"F:\\Music\\a.MP3", ".MP3"},
        {"", ""},
    };
    for (const auto& [source, extension] : cases) {
        EXPECT_EQ(SourceExtension(source), extension) << source;
    }
}

// A copy never opens in Windows as a program, a shortcut or a link.
TEST(CopyExtension, KeepsMediaAndDisarmsEverythingElse) {
    const std::pair<const char*, const char*> cases[] = {
        {"\\Music\\A.mp3", ".mp3"},
        {"\\Music\\A.M4A", ".M4A"},
        {"\\Music\\A.m4v", ".m4v"},
        {"\\Photos\\A.JPEG", ".JPEG"},
        {"\\Music\\A", ""},
        {"\\Music\\x.url", ".url.bin"},
        {"\\Music\\x.LNK", ".LNK.bin"},
        {"\\Music\\x.exe", ".exe.bin"},
        {"\\Music\\x.scf", ".scf.bin"},
        {"\\Music\\x.m3u8", ".m3u8.bin"},
        {"\\Music\\x.mp3.exe", ".exe.bin"},
        {"\\Music\\x.xml", ".xml.bin"},
    };
    for (const auto& [source, extension] : cases) {
        EXPECT_EQ(CopyExtension(source), extension) << source;
    }
}

TEST(IsReservedDeviceName, KnowsTheDevicesOfWindowsInAnyCaseWithAnyExtension) {
    for (const char16_t* name :
         {u"CON", u"con.mp3", u"Nul.m4a", u"PRN.a.b", u"aux", u"COM1.mp3", u"com9", u"LPT1.wav",
          u"lpt9.x", u"CON .mp3", u"CONIN$", u"conout$.mp3", u"COM\u00B9", u"com\u00B2.mp3",
          u"LPT\u00B3", u"lpt\u00B9.x", u"COM0.mp3", u"lpt0"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << std::string(name, name + 3);
    }
    for (const char16_t* name :
         {u"", u"CONSOLE.mp3", u"COM00.mp3", u"COM10", u"LPT", u"xCON", u"1 - NUL - x.mp3", u".CON",
          u"C0N", u"CONIN", u"COM\u00B4", u"LPT\u2074"}) {
        EXPECT_FALSE(IsReservedDeviceName(name));
    }
}

// A track of the player with the given path, title and artist.
OneTrack PlayerTrack(const char* path, std::u16string title, std::u16string artist = u"Artist") {
    OneTrack track;
    std::string location(path);
    for (char& c : location) {
        c = c == '\\' ? ':' : c;  // as the player writes it
    }
    track.SetLocation(location);
    track.SetTitle(std::move(title));
    track.SetArtist(std::move(artist));
    track.SetTrackNumber(1);
    return track;
}

// Paths and texts of a crafted database: nothing may be read outside the
// player's files or written outside the chosen folder, or into a device.
TEST(PlanTargetName, KeepsReadsOnThePlayerAndNamesInsideTheFolder) {
    using enum TrackRefusal;
    const std::u16string many(5000, u'x');
    const struct {
        const char* name;
        const char* path;
        std::u16string pattern;
        std::u16string title;
        std::u16string artist;
        std::u16string expectedName;  // not compared for names too long
        TrackRefusal refusal;
    } cases[] = {
        {"plain", "\\iPod_Control\\Music\\F00\\AB.mp3", u"%title%", u"Song", u"A", u"Song.mp3",
         None},
        {"no extension", "\\iPod_Control\\Music\\F00\\AB", u"%title%", u"Song", u"A", u"Song",
         None},
        {"climbing extension", "\\iPod_Control\\..\\Documents/x", u"%title%", u".", u"A", u".",
         UnsafeSourcePath},
        {"solidus in the path", "\\iPod_Control\\Music\\a/b.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"dot part", "\\iPod_Control\\.\\F00\\AB.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"dots and spaces part", "\\iPod_Control\\. .\\AB.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"empty part", "\\iPod_Control\\\\AB.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"trailing backslash", "\\iPod_Control\\Music\\", u"%title%", u"S", u"A", u"S",
         UnsafeSourcePath},
        {"relative path", "iPod_Control\\AB.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"no path", "", u"%title%", u"S", u"A", u"S", UnsafeSourcePath},
        {"device file", "\\iPod_Control\\Music\\COM1.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"device folder", "\\iPod_Control\\NUL\\AB.mp3", u"%title%", u"S", u"A", u"S.mp3",
         UnsafeSourcePath},
        {"console", "\\iPod_Control\\CONIN$", u"%title%", u"S", u"A", u"S", UnsafeSourcePath},
        {"superscript port", "\\iPod_Control\\lpt\xB2.m4a", u"%title%", u"S", u"A", u"S.m4a",
         UnsafeSourcePath},
        {"device from the default pattern", "\\iPod_Control\\Music\\AB", u"%title%", u"NUL", u"A",
         u"NUL", ReservedName},
        {"device with an extension", "\\iPod_Control\\Music\\AB.mp3", u"%title%", u"conout$", u"A",
         u"conout$.mp3", ReservedName},
        {"title of a dot", "\\iPod_Control\\Music\\AB", u"%title%", u".", u"A", u".", EmptyName},
        {"title of dots and spaces", "\\iPod_Control\\Music\\AB", u"%title%", u". ..", u"A",
         u". ..", EmptyName},
        {"empty name", "\\iPod_Control\\Music\\AB", u"", u"S", u"A", u"", EmptyName},
        {"empty name with extension", "\\iPod_Control\\Music\\AB.mp3", u"", u"S", u"A", u".mp3",
         None},
        {"trailing blanks and dots as Windows drops them", "\\iPod_Control\\Music\\AB",
         u"%tracknumber% - %title% - %artist%", u"A", u"", u"1 - A -", None},
        {"dots before the extension stay", "\\iPod_Control\\Music\\AB.mp3", u"%title%", u"A.", u"B",
         u"A..mp3", None},
        {"the name of an unfinished copy", "\\iPod_Control\\Music\\AB", u"%title%",
         u"~trackhaul-0badf00d.partial", u"A", u"~trackhaul-0badf00d.partial", TemporaryName},
        {"the same in capitals", "\\iPod_Control\\Music\\AB", u"%title%",
         u"~TRACKHAUL-0BADF00D.PARTIAL", u"A", u"~TRACKHAUL-0BADF00D.PARTIAL", TemporaryName},
        {"a surrogate without its partner", "\\iPod_Control\\Music\\AB.mp3", u"%title%",
         u"a\xD800"
         u"b\U0001F3B5",
         u"A", u"a\uFFFDb\U0001F3B5.mp3", None},
        {"an extension of no media", "\\iPod_Control\\Music\\AB.partial", u"%title%",
         u"~trackhaul-0badf00d", u"A", u"~trackhaul-0badf00d.partial.bin", None},
        {"control characters and line breaks", "\\iPod_Control\\Music\\AB.mp3",
         u"%artist% - %title%", u"a\r\nb", u"x\u2028y", u"x_y - a__b.mp3", None},
        {"separators in values", "\\iPod_Control\\Music\\AB.mp3", u"%artist%\\%title%",
         u"..\\..\\x", u"../y", u".._y_.._.._x.mp3", None},
        {"longest name", "\\iPod_Control\\Music\\AB.mp3", u"%title%", std::u16string(259, u'n'),
         u"A", std::u16string(259, u'n') + u".mp3", None},
        {"one too long", "\\iPod_Control\\Music\\AB.mp3", u"%title%", std::u16string(260, u'n'),
         u"A", u"", NameTooLong},
        {"placeholders growing", "\\iPod_Control\\Music\\AB.mp3", u"%title%",
         [] {
             std::u16string title;
             for (int i = 0; i < 100000; ++i)
                 title += u"%artist%";
             return title;
         }(),
         many, u"", NameTooLong},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const TargetName target =
            PlanTargetName(test.pattern, PlayerTrack(test.path, test.title, test.artist));
        EXPECT_EQ(target.Refusal, test.refusal);
        if (test.refusal != NameTooLong) {
            EXPECT_EQ(target.Name, test.expectedName);
        }
        // A name is never built far beyond what any path can hold.
        EXPECT_LE(target.Name.size(), MaxBuiltNameLength + 1 + 4);
        EXPECT_EQ(RefusalReason(target.Refusal).empty(),
                  test.refusal == None || test.refusal == NameTooLong);
    }
}

// With a folder pattern the file goes below its levels, which a track's
// texts cannot refuse, nor can their length: the refusals still concern the
// file's name, and the whole path is measured where the destination is known.
TEST(PlanTargetName, PutsTheFileBelowTheLevelsOfTheFolderPattern) {
    using enum TrackRefusal;
    const struct {
        const char* path;
        std::u16string folders;
        std::u16string title;
        std::u16string artist;
        std::u16string expectedName;
        TrackRefusal refusal;
    } cases[] = {
        {"\\iPod_Control\\AB.mp3", u"", u"Song", u"Band", u"Song.mp3", None},
        {"\\iPod_Control\\AB.mp3", u"%artist%\\%album%", u"Song", u"Band",
         u"Band\\Unknown Album\\Song.mp3", None},
        {"\\iPod_Control\\AB", u"%artist%", u"NUL", u"Band", u"Band\\NUL", ReservedName},
        {"\\iPod_Control\\AB", u"%artist%", u"..", u"Band", u"Band\\..", EmptyName},
        {"\\iPod_Control\\AB.mp3", u"%title%\\%title%", std::u16string(200, u'n'), u"Band",
         std::u16string(200, u'n') + u"\\" + std::u16string(200, u'n') + u"\\" +
             std::u16string(200, u'n') + u".mp3",
         None},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.path + (" " + std::string(test.folders.begin(), test.folders.end())));
        const TargetName target = PlanTargetName(
            u"%title%", PlayerTrack(test.path, test.title, test.artist), test.folders);
        EXPECT_EQ(target.Name, test.expectedName);
        EXPECT_EQ(target.Refusal, test.refusal);
    }
}

// Tracks that plan one name are numbered in the player's file order, so
// that no two of a run meet and every run names a track alike.
TEST(TrackNamePlan, NumbersTracksThatMeetInFileOrder) {
    const struct {
        const char* path;
        std::u16string title;
        std::u16string expectedName;
    } tracks[] = {
        {"\\iPod_Control\\A.mp3", u"Song", u"Band\\Song.mp3"},
        {"\\iPod_Control\\B.MP3", u"SONG", u"Band\\SONG (2).MP3"},
        {"\\iPod_Control\\C.m4a", u"Song", u"Band\\Song.m4a"},
        {"\\iPod_Control\\D.mp3", u"Song (2)", u"Band\\Song (2) (2).mp3"},
        {"\\iPod_Control\\E.mp3", u"song", u"Band\\song (3).mp3"},
        {"\\iPod_Control\\F", u"Song", u"Band\\Song"},
        {"\\iPod_Control\\G", u"Song", u"Band\\Song (2)"},
        {"\\iPod_Control\\H.mp3", u"Nul", u"Band\\Nul.mp3"},  // refused: takes no name
        {"\\iPod_Control\\I.mp3", u"Nul", u"Band\\Nul.mp3"},
    };
    std::vector<OneTrack> player;
    for (const auto& track : tracks) {
        player.push_back(PlayerTrack(track.path, track.title, u"Band"));
    }
    std::vector<const OneTrack*> fileOrder;
    for (const OneTrack& track : player) {
        fileOrder.push_back(&track);
    }
    const TrackNamePlan plan(fileOrder, u"%title%", u"%artist%");
    for (size_t i = 0; i < player.size(); ++i) {
        EXPECT_EQ(plan.Of(player[i]).Name, tracks[i].expectedName) << tracks[i].path;
    }
    EXPECT_EQ(plan.Of(player[7]).Refusal, TrackRefusal::ReservedName);
    // Whatever is listed or selected, a track not planned is named alone.
    const OneTrack other = PlayerTrack("\\iPod_Control\\Z.mp3", u"Song", u"Band");
    EXPECT_EQ(plan.Of(other).Name, u"Band\\Song.mp3");
}

TEST(TemporaryCopyName, IsOneRecognisableScheme) {
    EXPECT_EQ(TemporaryCopyName(0x1A2B3C4D), u"~trackhaul-1a2b3c4d.partial");
    for (const uint32_t number : {0u, 1u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(IsTemporaryCopyName(TemporaryCopyName(number)));
    }
    for (const char16_t* other :
         {u"~trackhaul-1a2b3c4d.partial.mp3", u"~trackhaul-1A2B3C4D.partial",
          u"~trackhaul-1a2b3c4.partial", u"trackhaul-1a2b3c4d.partial",
          u"~trackhaul-1a2b3c4g.partial", u"Song.mp3", u""}) {
        EXPECT_FALSE(IsTemporaryCopyName(other)) << std::string(other, other + 5);
    }
}

// Each answer, asked under "Always Prompt", then what the next two clashes do.
TEST(ClashPolicy, ActsOnThePolicyAndEveryAnswer) {
    using enum ClashOutcome;
    const struct {
        int32_t policy;
        std::optional<OverwriteAnswer> answer;  // none: the user is never asked
        std::vector<ClashOutcome> outcomes;     // of three clashes in a row
        int asked;
    } cases[] = {
        {AlwaysOverwrite, std::nullopt, {Copy, Copy, Copy}, 0},
        {NeverOverwrite, std::nullopt, {Skip, Skip, Skip}, 0},
        {AlwaysPrompt, AnswerYes, {Copy, Copy, Copy}, 3},
        {AlwaysPrompt, AnswerNo, {Skip, Skip, Skip}, 3},
        {AlwaysPrompt, AnswerYesToAll, {Copy, Copy, Copy}, 1},
        {AlwaysPrompt, AnswerNoToAll, {Skip, Skip, Skip}, 1},
        {AlwaysPrompt, AnswerCancel, {EndRun, EndRun, EndRun}, 3},
        {AlwaysPrompt, static_cast<OverwriteAnswer>(0), {EndRun, EndRun, EndRun}, 3},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE("policy " + std::to_string(test.policy) + ", answer " +
                     std::to_string(test.answer.value_or(AnswerCancel)));
        ClashPolicy policy(test.policy);
        int asked = 0;
        std::vector<ClashOutcome> outcomes;
        for (int clash = 0; clash < 3; ++clash) {
            outcomes.push_back(policy.Resolve([&] {
                ++asked;
                return test.answer.value_or(AnswerCancel);
            }));
        }
        EXPECT_EQ(outcomes, test.outcomes);
        EXPECT_EQ(asked, test.asked);
    }
}

TEST(CopyProgressPercent, TruncatesAndIsZeroForAnEmptyFile) {
    EXPECT_EQ(CopyProgressPercent(0, 0), 0);
    EXPECT_EQ(CopyProgressPercent(0, 100), 0);
    EXPECT_EQ(CopyProgressPercent(199, 200), 99);
    EXPECT_EQ(CopyProgressPercent(200, 200), 100);
    EXPECT_EQ(CopyProgressPercent(int64_t{3} << 40, int64_t{4} << 40), 75);
}

TEST(ExtractionFailureText, NamesSourceTargetAndReasonAndAsksToGoOn) {
    EXPECT_EQ(ExtractionFailureText(u"F:\\a.mp3", u"C:\\\u97F3\\b.mp3", u"Access denied.\r\n"),
              u"Error extracting F:\\a.mp3\r\nto C:\\\u97F3\\b.mp3\r\nAccess denied.\r\n"
              u"\r\nDo you want to extract remaining files?");
}

}  // namespace
