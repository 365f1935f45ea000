#include "track_columns.h"

#include <array>

#include "ansi_text.h"
#include "onetrack.h"

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
std::u16string Utf16Text(const OneTrack& track) {
    return (track.*Get)();
}

// Narrow texts are widened through the ANSI code page.
template <auto Get>
std::u16string AnsiText(const OneTrack& track) {
    return Utf16FromAnsi((track.*Get)());
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

using enum ColumnAlignment;
using enum CsvField;
using T = OneTrack;

// clang-format off
constexpr std::array kColumns{
    //          header          CSV header        width  minimum  alignment  CSV
    //          text                              order
    TrackColumn{u"Track #",     u"Track Number",  50,    10,      Left,      Bare,
                TrackNumberText,                  ByNumber<&T::GetTrackNumber>()},
    TrackColumn{u"Title",       u"Title",         130,   50,      Left,      Quoted,
                Utf16Text<&T::GetTitle>,          ByText(&T::GetTitle)},
    TrackColumn{u"Artist",      u"Arist",         130,   50,      Left,      Quoted,
                Utf16Text<&T::GetArtist>,         ByText(&T::GetArtist)},
    TrackColumn{u"Album",       u"Album",         130,   0,       Left,      Quoted,
                Utf16Text<&T::GetAlbum>,          ByText(&T::GetAlbum)},
    // Shown as a text, ordered by whole seconds.
    TrackColumn{u"Length",      u"Length",        80,    0,       Right,     Quoted,
                AnsiText<&T::GetLengthText>,      ByNumber<&T::GetSeconds>()},
    TrackColumn{u"Track Type",  u"Track Type",    100,   30,      Left,      Quoted,
                AnsiText<&T::GetTrackType>,       ByText(&T::GetTrackType)},
    TrackColumn{u"Encoding",    u"Encoding",      100,   30,      Left,      Quoted,
                AnsiText<&T::GetFileType>,        ByText(&T::GetFileType)},
    TrackColumn{u"Bit Rate",    u"Bit Rate",      75,    30,      Right,     Quoted,
                BitRateText,                      ByNumber<&T::GetBitRate>()},
    TrackColumn{u"Sample Rate", u"Sample Rate",   75,    30,      Right,     Quoted,
                SampleRateText,                   ByNumber<&T::GetSampleRate>()},
};
// clang-format on
static_assert(kColumns.size() >= kStandardColumnCount);

}  // namespace

std::span<const TrackColumn> TrackColumns() {
    return kColumns;
}

std::span<const TrackColumnId> StandardColumns() {
    static constexpr auto kStandard = [] {
        std::array<TrackColumnId, kStandardColumnCount> ids{};
        for (int i = 0; i < kStandardColumnCount; ++i) {
            ids[static_cast<size_t>(i)] = static_cast<TrackColumnId>(i);
        }
        return ids;
    }();
    return kStandard;
}

const TrackColumn& ColumnOf(TrackColumnId id) {
    return kColumns[static_cast<size_t>(id)];
}

const TrackColumn* ColumnOfKey(int key) {
    return key >= 0 && key < static_cast<int>(kColumns.size()) ? &kColumns[static_cast<size_t>(key)]
                                                               : nullptr;
}
