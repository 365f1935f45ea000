// The track list's columns: the nine it always shows, then the extra ones
// the user checks in the header's menu, in the order of that menu. Headers,
// widths, alignments and minimum widths come from the column table.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <vector>

#include "core/track_columns.h"

class TrackListColumns {
public:
    // Adds the nine columns to the empty list view, sized for `dpi`.
    TrackListColumns(HWND listView, int dpi);

    // The columns shown, in the list's order.
    std::span<const TrackColumnId> Shown() const { return shown_; }

    // Shows these extra columns, in the table's order, and no others; the
    // rows there are get the texts of the columns added.
    void ShowExtras(std::span<const TrackColumnId> extras);

    // Drops down the header's menu of extra columns at a point of the
    // screen; the extras then chosen, or nothing when the menu was left
    // without a choice.
    std::optional<std::vector<TrackColumnId>> ChooseExtras(POINT at, HWND owner) const;

    // Widens every column that the user made narrower than its minimum.
    void KeepMinimumWidths();
    // Keeps the widths, the user's included, in proportion at a new DPI.
    void ChangeDpi(int dpi);

private:
    void Insert(size_t index, TrackColumnId id);
    bool IsShown(TrackColumnId id) const;

    HWND listView_;
    int dpi_;
    std::vector<TrackColumnId> shown_;
};
