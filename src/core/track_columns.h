// The track list's columns, as one table: what each shows of a track, how
// wide it starts, how it orders the rows and how the exported file writes it.
// The list, its sort, its header and the CSV export all read it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

class OneTrack;

// The columns in the table's order, which is their order in the list. The
// table index of a column is also its sort key.
enum class TrackColumnId : int {
    // The columns the list always shows.
    TrackNumber,
    Title,
    Artist,
    Album,
    Length,
    TrackType,
    Encoding,
    BitRate,
    SampleRate,
    // The extra ones the user may add after them, in the header menu's order.
    Genre,
    Year,
    Composer,
    Disc,
    Rating,
    Plays,
    Skips,
    LastPlayed,
    DateAdded,
    Size,
    Comment,
};

inline constexpr int kStandardColumnCount = 9;

enum class ColumnAlignment { Left, Right };

// How a column orders the rows. Numbers are compared by the column itself;
// texts by the side that sorts, which orders them as the user's language
// does, ignoring case.
enum class ColumnComparison { Numbers, Utf16Texts, AnsiTexts };

// How the exported file writes a column's text.
enum class CsvField { Bare, Quoted };

// What a column compares: numbers by its own comparison, texts by the text
// the sorting side is given.
struct ColumnOrder {
    ColumnComparison Comparison;
    // Negative, 0 or positive as a sorts before, with or after b (Numbers).
    int (*CompareNumbers)(const OneTrack& a, const OneTrack& b) = nullptr;
    const std::u16string& (OneTrack::*Utf16Text)() const = nullptr;  // Utf16Texts
    const std::string& (OneTrack::*AnsiText)() const = nullptr;      // AnsiTexts
};

struct TrackColumn {
    std::u16string_view Header;     // in the list's header
    std::u16string_view CsvHeader;  // in the exported file's header line
    int Width;                      // pixels at 96 dots per inch
    int MinimumWidth;               // the same; 0 for none
    ColumnAlignment Alignment;
    CsvField Csv;
    // The text the list shows and the exports write, made in `text` (whose
    // buffer is reused: the library file asks for a few columns of tens of
    // thousands of tracks).
    void (*MakeText)(const OneTrack& track, std::u16string& text);
    ColumnOrder Order;

    std::u16string Text(const OneTrack& track) const {
        std::u16string text;
        MakeText(track, text);
        return text;
    }
};

// The columns the list always shows, in their order.
std::span<const TrackColumnId> StandardColumns();
// The columns the user may add, in the order the list shows them.
std::span<const TrackColumnId> ExtraColumns();
const TrackColumn& ColumnOf(TrackColumnId id);
// The column of a sort key, or null for a key that names none.
const TrackColumn* ColumnOfKey(int key);

// The extra columns a text names by their headers, separated by commas (as
// the ExtraColumns setting keeps them), in the list's order. Letter case and
// blanks around a name do not matter; names of no extra column are left out.
std::vector<TrackColumnId> ExtraColumnsNamed(std::string_view names);
// The text that names these columns: "Rating,Plays".
std::string ExtraColumnNames(std::span<const TrackColumnId> columns);
