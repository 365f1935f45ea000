#include "core/track_find.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/onetrack.h"

namespace {

TEST(TrackFind, FoldsCaseAndAccentsOfLatinGreekAndCyrillic) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Ren\u00E9e VALLOMBRE", u"renee vallombre"},
        {u"Stra\u00DFe \u00C6on \u0152uvre \u00DE\u00F8r \u0141\u00F3d\u017A",
         u"strasse aeon oeuvre thor lodz"},
        {u"e\u0301te\u0301", u"ete"},  // combining accents
        {u"\u0391\u03B8\u03AE\u03BD\u03B1 \u039F\u03B4\u03C5\u03C3\u03C3\u03B5\u03CD\u03C2",
         u"\u03B1\u03B8\u03B7\u03BD\u03B1 \u03BF\u03B4\u03C5\u03C3\u03C3\u03B5\u03C5\u03C3"},
        {u"\u0401\u041B\u041A\u0410 \u0419\u041E\u0413",
         u"\u0435\u043B\u043A\u0430 \u0438\u043E\u0433"},
        {u"\uFF21\uFF42\uFF43\uFF11 \u6D77\u306E\u58F0 \u00D7", u"abc1 \u6D77\u306E\u58F0 \u00D7"},
    };
    for (const auto& [text, folded] : cases) {
        EXPECT_EQ(FoldedForFind(text), folded);
    }
}

TEST(TrackFind, EveryWordInOneOfTheFiveTexts) {
    OneTrack track;
    track.SetTitle(u"Lanterns in Rain");
    track.SetArtist(u"Ren\u00E9e");
    track.SetAlbum(u"Quietly");
    track.SetGenre(u"R&B");
    track.SetComposer(u"Odo Marsh");
    track.SetComment(u"comment words are not searched");
    OneTrack repeats;  // words whose search must step back inside themselves
    repeats.SetTitle(u"aaab abaabab");
    const std::pair<std::u16string, bool> cases[] = {
        {u"renee", true},
        {u"  REN\u00C9E\train ", true},
        {u"r&b marsh", true},
        {u"quietly lanterns", true},
        {u"rain renee dusk", false},
        {u"comment", false},
        {u"rainrenee", false},
        {u"ars", true},
        {u"aab", false},
    };
    // The same answers from texts folded as they are met and folded once.
    for (const bool foldedOnce : {false, true}) {
        TrackFind find;
        EXPECT_FALSE(find.Active());
        EXPECT_TRUE(find.Matches(track));
        find.SetTracks(foldedOnce ? std::vector<const OneTrack*>{&track, &repeats}
                                  : std::vector<const OneTrack*>{});
        for (const auto& [typed, matches] : cases) {
            EXPECT_TRUE(find.SetText(typed)) << typed.size();
            EXPECT_TRUE(find.Active());
            EXPECT_EQ(find.Matches(track), matches) << foldedOnce;
        }
        for (const std::u16string typed : {u"aab", u"abab", u"AAAB BAAB"}) {
            find.SetText(typed);
            EXPECT_TRUE(find.Matches(repeats)) << foldedOnce << typed.size();
        }
        find.SetText(u"abb");
        EXPECT_FALSE(find.Matches(repeats));
    }
    TrackFind find;
    EXPECT_TRUE(find.SetText(u"ars"));
    EXPECT_FALSE(find.SetText(u"ars "));  // the same words
    EXPECT_TRUE(find.SetText(u" \t"));
    EXPECT_FALSE(find.Active());

    OneTrack other;
    other.SetTitle(u"Lull");
    find.SetText(u"L");
    EXPECT_EQ(find.Found({&track, &other, &track}),
              (std::vector<const OneTrack*>{&track, &other, &track}));
    find.SetText(u"rain");
    EXPECT_EQ(find.Found({&other, &track}), std::vector<const OneTrack*>{&track});
}

}  // namespace
