#include "track_columns.h"

#include <algorithm>
#include <array>
#include <utility>

#include "ansi_text.h"
#include "onetrack.h"
#include "player_time.h"

namespace {

template <auto Get>
int CompareValues(const OneTrack& a, const OneTrack& b) {
    const auto first = (a.*Get)();
    const auto second = (b.*Get)();
    return first < second ? -1 : (first > second ? 1 : 0);
}

template <auto Get>
constexpr ColumnOrder ByNumber() {
    return {ColumnComparison::Numbers, CompareValues<Get>};
}

constexpr ColumnOrder ByText(const std::u16string& (OneTrack::*get)() const) {
    return {ColumnComparison::Utf16Texts, nullptr, get};
}

constexpr ColumnOrder ByText(const std::string& (OneTrack::*get)() const) {
    return {ColumnComparison::AnsiTexts, nullptr, nullptr, get};
}

template <auto Get>
void Utf16Text(const OneTrack& track, std::u16string& text) {
    text = (track.*Get)();
}

// Narrow texts are widened through the ANSI code page.
template <auto Get>
void AnsiText(const OneTrack& track, std::u16string& text) {
    Utf16FromAnsi((track.*Get)(), text);
}

// A text made whole: those of numbers are short.
template <std::u16string (*Make)(const OneTrack&)>
void Whole(const OneTrack& track, std::u16string& text) {
    text = Make(track);
}

std::u16string TrackNumberText(const OneTrack& track) {
    return Utf16FromAnsi(std::to_string(track.GetTrackNumber()));
}

std::u16string BitRateText(const OneTrack& track) {
    return Utf16FromAnsi(std::to_string(track.GetBitRate()) + " kBps");
}

std::u16string SampleRateText(const OneTrack& track) {
    return Utf16FromAnsi(std::to_string(track.GetSampleRate()) + " Hz");
}

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// Comments hold line breaks: every control character shows as a space.
template <auto Get>
void OneLineText(const OneTrack& track, std::u16string& text) {
    text = (track.*Get)();
    for (char16_t& unit : text) {
        if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) {
            unit = u' ';
        }
    }
}

template <auto Get>
std::u16string CountText(const OneTrack& track) {
    return Ascii(std::to_string((track.*Get)()));
}

std::u16string YearText(const OneTrack& track) {
    return track.GetYear() == 0 ? u"" : CountText<&OneTrack::GetYear>(track);
}

// "1/2", or "1" when the number of discs is not known.
std::u16string DiscText(const OneTrack& track) {
    if (track.GetDiscNumber() == 0) {
        return u"";
    }
    std::string text = std::to_string(track.GetDiscNumber());
    if (track.GetDiscCount() != 0) {
        text += "/" + std::to_string(track.GetDiscCount());
    }
    return Ascii(text);
}

int CompareDiscs(const OneTrack& a, const OneTrack& b) {
    const auto disc = [](const OneTrack& t) {
        return std::pair(t.GetDiscNumber(), t.GetDiscCount());
    };
    return disc(a) < disc(b) ? -1 : (disc(b) < disc(a) ? 1 : 0);
}

// A star for every 20, at most five.
std::u16string RatingText(const OneTrack& track) {
    constexpr uint32_t kMostStars = 5;
    return std::u16string(std::min(track.GetRating() / 20, kMostStars), u'\u2605');
}

std::u16string TwoDigits(int32_t value) {
    return Ascii((value < 10 ? "0" : "") + std::to_string(value));
}

// "yyyy-mm-dd hh:mm" of a time the player wrote, empty for none.
template <auto Get>
std::u16string TimeText(const OneTrack& track) {
    const uint32_t time = (track.*Get)();
    if (time == 0) {
        return u"";
    }
    const CivilTime civil = CivilOfPlayerTime(time);
    return Ascii(std::to_string(civil.Year)) + u"-" + TwoDigits(civil.Month) + u"-" +
           TwoDigits(civil.Day) + u" " + TwoDigits(civil.Hour) + u":" + TwoDigits(civil.Minute);
}

// Mebibytes to one decimal, rounded: "4.2 MB".
std::u16string SizeText(const OneTrack& track) {
    constexpr uint64_t kMebibyte = 1 << 20;
    const uint64_t tenths = (uint64_t{track.GetSize()} * 10 + kMebibyte / 2) / kMebibyte;
    return Ascii(std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB");
}

using enum ColumnAlignment;
using enum CsvField;
using T = OneTrack;

// clang-format off
constexpr std::array kColumns{
    //          header          CSV header        width  minimum  alignment  CSV
    //          text                                  order
    TrackColumn{u"Track #",     u"Track Number",  50,    10,      Left,      Bare,
                Whole<TrackNumberText>,               ByNumber<&T::GetTrackNumber>()},
    TrackColumn{u"Title",       u"Title",         130,   50,      Left,      Quoted,
                Utf16Text<&T::GetTitle>,              ByText(&T::GetTitle)},
    TrackColumn{u"Artist",      u"Arist",         130,   50,      Left,      Quoted,
                Utf16Text<&T::GetArtist>,             ByText(&T::GetArtist)},
    TrackColumn{u"Album",       u"Album",         130,   0,       Left,      Quoted,
                Utf16Text<&T::GetAlbum>,              ByText(&T::GetAlbum)},
    // Shown as a text, ordered by whole seconds.
    TrackColumn{u"Length",      u"Length",        80,    0,       Right,     Quoted,
                AnsiText<&T::GetLengthText>,          ByNumber<&T::GetSeconds>()},
    TrackColumn{u"Track Type",  u"Track Type",    100,   30,      Left,      Quoted,
                AnsiText<&T::GetTrackType>,           ByText(&T::GetTrackType)},
    TrackColumn{u"Encoding",    u"Encoding",      100,   30,      Left,      Quoted,
                AnsiText<&T::GetFileType>,            ByText(&T::GetFileType)},
    TrackColumn{u"Bit Rate",    u"Bit Rate",      75,    30,      Right,     Quoted,
                Whole<BitRateText>,                   ByNumber<&T::GetBitRate>()},
    TrackColumn{u"Sample Rate", u"Sample Rate",   75,    30,      Right,     Quoted,
                Whole<SampleRateText>,                ByNumber<&T::GetSampleRate>()},
    TrackColumn{u"Genre",       u"Genre",         100,   0,       Left,      Quoted,
                OneLineText<&T::GetGenre>,            ByText(&T::GetGenre)},
    TrackColumn{u"Year",        u"Year",          45,    0,       Right,     Quoted,
                Whole<YearText>,                      ByNumber<&T::GetYear>()},
    TrackColumn{u"Composer",    u"Composer",      120,   0,       Left,      Quoted,
                OneLineText<&T::GetComposer>,         ByText(&T::GetComposer)},
    TrackColumn{u"Disc",        u"Disc",          45,    0,       Right,     Quoted,
                Whole<DiscText>,                      {ColumnComparison::Numbers, CompareDiscs}},
    TrackColumn{u"Rating",      u"Rating",        70,    0,       Left,      Quoted,
                Whole<RatingText>,                    ByNumber<&T::GetRating>()},
    TrackColumn{u"Plays",       u"Plays",         50,    0,       Right,     Quoted,
                Whole<CountText<&T::GetPlayCount>>,   ByNumber<&T::GetPlayCount>()},
    TrackColumn{u"Skips",       u"Skips",         50,    0,       Right,     Quoted,
                Whole<CountText<&T::GetSkipCount>>,   ByNumber<&T::GetSkipCount>()},
    TrackColumn{u"Last Played", u"Last Played",   110,   0,       Left,      Quoted,
                Whole<TimeText<&T::GetLastPlayed>>,   ByNumber<&T::GetLastPlayed>()},
    TrackColumn{u"Date Added",  u"Date Added",    110,   0,       Left,      Quoted,
                Whole<TimeText<&T::GetDateAdded>>,    ByNumber<&T::GetDateAdded>()},
    TrackColumn{u"Size",        u"Size",          65,    0,       Right,     Quoted,
                Whole<SizeText>,                      ByNumber<&T::GetSize>()},
    TrackColumn{u"Comment",     u"Comment",       160,   0,       Left,      Quoted,
                OneLineText<&T::GetComment>,          ByText(&T::GetComment)},
};
// clang-format on
static_assert(kColumns.size() == static_cast<size_t>(TrackColumnId::Comment) + 1);

// The ids of the table's columns from `first` on, `count` of them.
template <size_t Count>
constexpr std::array<TrackColumnId, Count> ColumnIds(int first) {
    std::array<TrackColumnId, Count> ids{};
    for (size_t i = 0; i < Count; ++i) {
        ids[i] = static_cast<TrackColumnId>(first + static_cast<int>(i));
    }
    return ids;
}
constexpr auto kStandardIds = ColumnIds<kStandardColumnCount>(0);
constexpr auto kExtraIds = ColumnIds<kColumns.size() - kStandardColumnCount>(kStandardColumnCount);

}  // namespace

std::span<const TrackColumnId> StandardColumns() {
    return kStandardIds;
}

std::span<const TrackColumnId> ExtraColumns() {
    return kExtraIds;
}

const TrackColumn& ColumnOf(TrackColumnId id) {
    return kColumns[static_cast<size_t>(id)];
}

const TrackColumn* ColumnOfKey(int key) {
    return key >= 0 && key < static_cast<int>(kColumns.size()) ? &kColumns[static_cast<size_t>(key)]
                                                               : nullptr;
}

std::vector<TrackColumnId> ExtraColumnsNamed(std::string_view names) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
    const auto named = [&](const TrackColumn& column, std::string_view name) {
        const size_t first = name.find_first_not_of(' ');
        const size_t last = name.find_last_not_of(' ');
        name = first == std::string_view::npos ? "" : name.substr(first, last - first + 1);
        return std::equal(
            name.begin(), name.end(), column.Header.begin(), column.Header.end(),
            [&](char a, char16_t b) { return lower(static_cast<unsigned char>(a)) == lower(b); });
    };
    std::vector<TrackColumnId> chosen;
    for (const TrackColumnId id : ExtraColumns()) {
        for (size_t start = 0; start <= names.size();) {
            const size_t comma = std::min(names.find(',', start), names.size());
            if (named(ColumnOf(id), names.substr(start, comma - start))) {
                chosen.push_back(id);
                break;
            }
            start = comma + 1;
        }
    }
    return chosen;
}

std::string ExtraColumnNames(std::span<const TrackColumnId> columns) {
    std::string names;
    for (const TrackColumnId id : columns) {
        const std::u16string_view header = ColumnOf(id).Header;
        names += (names.empty() ? "" : ",") + std::string(header.begin(), header.end());
    }
    return names;
}
