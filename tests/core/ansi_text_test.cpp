// Runs natively against the built-in Windows-1252 table and under Wine against
// the system's conversion (code page 1252 in a default prefix): both must agree.
#include "core/ansi_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiText, AsciiAndLatin1RoundTrip) {
    const std::u16string text = u"Plain ASCII, caf\u00E9 \u00FF\u00A0\u00C6";
    const std::string narrow = AnsiFromUtf16(text);
    EXPECT_EQ(narrow, "Plain ASCII, caf\xE9 \xFF\xA0\xC6");
    EXPECT_EQ(Utf16FromAnsi(narrow), text);
}

TEST(AnsiText, Windows1252PunctuationRange) {
    EXPECT_EQ(AnsiFromUtf16(u"\u20AC\u2122\u201C\u201D\u2026\u0152"), "\x80\x99\x93\x94\x85\x8C");
    EXPECT_EQ(Utf16FromAnsi("\x80\x99\x9F"), u"\u20AC\u2122\u0178");
}

TEST(AnsiText, MissingCharactersBecomeQuestionMarks) {
    // No look-alikes: A with macron is not turned into A.
    EXPECT_EQ(AnsiFromUtf16(u"\u0100"), "?");
    EXPECT_EQ(AnsiFromUtf16(u"\u041F\u0435"), "??");
    EXPECT_EQ(AnsiFromUtf16(u"a\u6D77b"), "a?b");
    // As the system does it: each half of a surrogate pair is one missing
    // character.
    EXPECT_EQ(AnsiFromUtf16(u"a\U0001F3B5b"), "a??b");
}

TEST(AnsiText, NarrowTextStopsAtTheFirstNul) {
    EXPECT_EQ(AnsiFromUtf16(std::u16string(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(AnsiFromUtf16(std::u16string(u"\0x", 2)), "");
    EXPECT_EQ(AnsiFromUtf16(u""), "");
}

TEST(AnsiText, WideningKeepsEveryByte) {
    EXPECT_EQ(Utf16FromAnsi(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(Utf16FromAnsi(""), u"");
}

}  // namespace
