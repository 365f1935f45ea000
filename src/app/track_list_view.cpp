#include "app/track_list_view.h"

#include <commctrl.h>

#include <string>

#include "app/track_sort.h"
#include "core/onetrack.h"

namespace {

wchar_t* TextPointer(std::u16string& text) {
    return reinterpret_cast<wchar_t*>(text.data());
}

}  // namespace

int TrackListView::Count() const {
    return static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
}

OneTrack* TrackListView::TrackAt(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(listView_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return nullptr;
    }
    return reinterpret_cast<OneTrack*>(item.lParam);
}

bool TrackListView::InsertTrack(int row, const OneTrack& track) {
    std::u16string text = ColumnOf(columns_[0]).Text(track);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = TextPointer(text);
    // The reader owns its records as modifiable objects; the rows hand them
    // out as the reader does.
    item.lParam = reinterpret_cast<LPARAM>(const_cast<OneTrack*>(&track));
    const auto inserted = static_cast<int>(
        SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted < 0) {
        return false;
    }
    for (size_t column = 1; column < columns_.size(); ++column) {
        text = ColumnOf(columns_[column]).Text(track);
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = TextPointer(text);
        if (!SendMessageW(listView_, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&cell))) {
            SendMessageW(listView_, LVM_DELETEITEM, inserted, 0);  // no row with texts missing
            return false;
        }
    }
    return true;
}

void TrackListView::FillColumn(int column) {
    const TrackColumn& shown = ColumnOf(columns_[static_cast<size_t>(column)]);
    const int count = Count();
    for (int row = 0; row < count; ++row) {
        if (const OneTrack* track = TrackAt(row)) {
            std::u16string text = shown.Text(*track);
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = TextPointer(text);
            SendMessageW(listView_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
}

int TrackListView::ReplaceTracks(const std::vector<const OneTrack*>& tracks) {
    SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const OneTrack* track : tracks) {
        if (!InsertTrack(row, *track)) {
            break;
        }
        ++row;
    }
    return row;
}

void TrackListView::Clear() {
    const int count = Count();
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = 0;
        SendMessageW(listView_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
}

void TrackListView::SortBy(TrackColumnId column) {
    SendMessageW(listView_, LVM_SORTITEMS, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&CompareTrackRows));
}

void TrackListView::SelectAll() {
    SetSelectionOfAll(true);
}

void TrackListView::SelectNone() {
    SetSelectionOfAll(false);
}

void TrackListView::SetSelectionOfAll(bool selected) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    // Row -1 stands for every row.
    SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
}

void TrackListView::InvertSelection() {
    const int count = Count();
    for (int row = 0; row < count; ++row) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = IsSelected(row) ? 0 : LVIS_SELECTED;
        SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
    }
}

bool TrackListView::IsSelected(int row) const {
    return SendMessageW(listView_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
}

int TrackListView::SelectedCount() const {
    return static_cast<int>(SendMessageW(listView_, LVM_GETSELECTEDCOUNT, 0, 0));
}

void TrackListView::SetRedraw(bool redraw) {
    SendMessageW(listView_, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw) {
        InvalidateRect(listView_, nullptr, TRUE);
    }
}
