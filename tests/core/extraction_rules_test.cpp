#include "core/extraction_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(SourceExtension, StartsAtALastDotAfterEveryFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"F:\\iPod_Control\\Music\\F00\\ABCD.mp3", ".mp3"},
        {"F:\\iPod_Control\\Music\\F00\\AB.CD.m4a", ".m4a"},
        {"F:\\iPod_Control\\Music\\F00\\ABCD", ""},
        {"F:\\iPod_Control\\Music.d\\ABCD", ""},
        {"F:.x", ".x"},
        {"F:x.y:z", ""},
        {"F:\\dir\\name.", "."},
        {"", ""},
    };
    for (const auto& [source, extension] : cases) {
        EXPECT_EQ(SourceExtension(source), extension) << source;
    }
}

TEST(IsReservedDeviceName, KnowsTheDevicesOfWindowsInAnyCaseWithAnyExtension) {
    for (const char16_t* name : {u"CON", u"con.mp3", u"Nul.m4a", u"PRN.a.b", u"aux", u"COM1.mp3",
                                 u"com9", u"LPT1.wav", u"lpt9.x", u"CON .mp3"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << std::string(name, name + 3);
    }
    for (const char16_t* name : {u"", u"CONSOLE.mp3", u"COM0.mp3", u"COM10", u"LPT", u"xCON",
                                 u"1 - NUL - x.mp3", u".CON", u"C0N"}) {
        EXPECT_FALSE(IsReservedDeviceName(name));
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
