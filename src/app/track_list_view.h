// The track list's rows, through the list view's own messages. Each row holds
// the UTF-16 texts of the columns shown and, as item data, a pointer to its
// track, which the row does not own: rows must be cleared before the reader
// that owns the tracks is released.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "core/track_columns.h"

class OneTrack;

class TrackListView {
public:
    // `columns`: those the list shows, in its order; they must outlive this
    // object.
    explicit TrackListView(HWND listView,
                           std::span<const TrackColumnId> columns = StandardColumns())
        : listView_(listView), columns_(columns) {}

    int Count() const;
    // The track of a row, or null.
    OneTrack* TrackAt(int row) const;

    // Inserts a row at `row` for the track: its texts and the pointer.
    // False, and no row added, when the list cannot take another (it ran
    // out of memory).
    bool InsertTrack(int row, const OneTrack& track);
    // Sets the text of list column `column` in every row from its track.
    void FillColumn(int column);
    // Sets every row's item data to null, then deletes all rows.
    void Clear();
    // Deletes all rows and inserts one for each track, in order, until the
    // list is full; returns the rows inserted. The tracks of the rows
    // deleted must still live: their rows are not nulled first, which saves
    // a tenth of a second on a large list.
    int ReplaceTracks(const std::vector<const OneTrack*>& tracks);

    // Reorders the rows by a column's values (see CompareTracks).
    void SortBy(TrackColumnId column);

    void SelectAll();
    void SelectNone();
    // Each row's selection flipped, one row at a time.
    void InvertSelection();
    bool IsSelected(int row) const;
    int SelectedCount() const;

    // Suspends or resumes repainting while many rows change.
    void SetRedraw(bool redraw);

private:
    void SetSelectionOfAll(bool selected);

    HWND listView_;
    std::span<const TrackColumnId> columns_;
};
