#include "app/track_sort.h"

#include <string>

#include "core/onetrack.h"
#include "core/track_columns.h"

namespace {

int CompareNumbers(int32_t a, int32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// CompareString answers 1, 2 or 3 for less, equal, greater, and 0 when it
// fails; a failed comparison counts as equal so the order stays consistent.
int FromCompareStringResult(int result) {
    return result == 0 ? 0 : result - CSTR_EQUAL;
}

int CompareUtf16(const std::u16string& a, const std::u16string& b) {
    return FromCompareStringResult(
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                       reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                       reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size())));
}

int CompareAnsi(const std::string& a, const std::string& b) {
    return FromCompareStringResult(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())));
}

}  // namespace

int CompareTracks(const OneTrack& a, const OneTrack& b, int key) {
    const TrackColumn* column = ColumnOfKey(key);
    if (column == nullptr) {
        return 0;
    }
    const ColumnOrder& order = column->Order;
    switch (order.Comparison) {
        case ColumnComparison::Numbers:
            return order.CompareNumbers(a, b);
        case ColumnComparison::Utf16Texts:
            return CompareUtf16((a.*order.Utf16Text)(), (b.*order.Utf16Text)());
        case ColumnComparison::AnsiTexts:
            return CompareAnsi((a.*order.AnsiText)(), (b.*order.AnsiText)());
    }
    return 0;
}

int CALLBACK CompareTrackRows(LPARAM a, LPARAM b, LPARAM key) {
    const auto* first = reinterpret_cast<const OneTrack*>(a);
    const auto* second = reinterpret_cast<const OneTrack*>(b);
    // Rows always point at their tracks while they are sorted; a row without
    // one would sort first rather than crash.
    if (first == nullptr || second == nullptr) {
        return CompareNumbers(first != nullptr, second != nullptr);
    }
    return CompareTracks(*first, *second, static_cast<int>(key));
}
