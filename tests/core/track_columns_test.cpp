#include "core/track_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/onetrack.h"

namespace {

using enum TrackColumnId;

TEST(TrackColumns, ExtraColumnsAreNamedByTheirHeadersInTheListsOrder) {
    const std::pair<std::string, std::vector<TrackColumnId>> cases[] = {
        {"", {}},
        {"Rating,Plays", {Rating, Plays}},
        {"plays, RATING ,Bogus,,Title,Last Played", {Rating, Plays, LastPlayed}},
        {"Comment,Size,Date Added,Last Played,Skips,Plays,Rating,Disc,Composer,Year,Genre",
         {Genre, Year, Composer, Disc, Rating, Plays, Skips, LastPlayed, DateAdded, Size, Comment}},
        {"Genre,Genre,LastPlayed", {Genre}},
    };
    for (const auto& [names, columns] : cases) {
        EXPECT_EQ(ExtraColumnsNamed(names), columns) << names;
    }
    EXPECT_EQ(ExtraColumnsNamed(ExtraColumnNames(ExtraColumns())),
              std::vector(ExtraColumns().begin(), ExtraColumns().end()));
}

// The tracks as a column orders them, each shown by its text.
std::vector<std::u16string> SortedTexts(TrackColumnId id, std::vector<OneTrack> tracks) {
    const TrackColumn& column = ColumnOf(id);
    std::stable_sort(tracks.begin(), tracks.end(), [&](const OneTrack& a, const OneTrack& b) {
        return column.Order.CompareNumbers(a, b) < 0;
    });
    std::vector<std::u16string> texts;
    for (const OneTrack& track : tracks) {
        texts.push_back(column.Text(track));
    }
    return texts;
}

TEST(TrackColumns, NumbersAndDatesOrderByValueWithEmptyValuesFirst) {
    std::vector<OneTrack> tracks(4);
    const uint32_t ratings[] = {100, 0, 59, 20};
    const uint32_t plays[] = {10, 9, 0, 4294967295};
    const uint32_t added[] = {4265672767, 0, 1465994096, 3792038700};
    const uint32_t discs[][2] = {{2, 2}, {1, 2}, {0, 0}, {1, 0}};
    for (size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].SetRating(ratings[i]);
        tracks[i].SetPlayCount(plays[i]);
        tracks[i].SetDateAdded(added[i]);
        tracks[i].SetDisc(discs[i][0], discs[i][1]);
    }
    EXPECT_EQ(SortedTexts(Rating, tracks),
              (std::vector<std::u16string>{u"", u"\u2605", u"\u2605\u2605",
                                           u"\u2605\u2605\u2605\u2605\u2605"}));
    EXPECT_EQ(SortedTexts(Plays, tracks),
              (std::vector<std::u16string>{u"0", u"9", u"10", u"4294967295"}));
    EXPECT_EQ(SortedTexts(DateAdded, tracks),
              (std::vector<std::u16string>{u"", u"1950-06-15 12:34", u"2024-02-29 08:05",
                                           u"2039-03-04 05:06"}));
    EXPECT_EQ(SortedTexts(Disc, tracks), (std::vector<std::u16string>{u"", u"1", u"1/2", u"2/2"}));
}

}  // namespace
