#include "app/track_list_columns.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/track_list_view.h"
#include "win/handles.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

// The header menu's items are numbered by the column's table index.
constexpr UINT kFirstMenuId = 1;

}  // namespace

TrackListColumns::TrackListColumns(HWND listView, int dpi) : listView_(listView), dpi_(dpi) {
    for (const TrackColumnId id : StandardColumns()) {
        Insert(shown_.size(), id);
    }
}

bool TrackListColumns::IsShown(TrackColumnId id) const {
    return std::find(shown_.begin(), shown_.end(), id) != shown_.end();
}

void TrackListColumns::Insert(size_t index, TrackColumnId id) {
    const TrackColumn& shown = ColumnOf(id);
    std::wstring header = win::WideFromUtf16(shown.Header);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = shown.Alignment == ColumnAlignment::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = win::ScalePixels(shown.Width, dpi_);
    column.pszText = header.data();
    column.iSubItem = static_cast<int>(index);
    SendMessageW(listView_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    shown_.insert(shown_.begin() + static_cast<std::ptrdiff_t>(index), id);
}

void TrackListColumns::ShowExtras(std::span<const TrackColumnId> extras) {
    const auto chosen = [&](TrackColumnId id) {
        return std::find(extras.begin(), extras.end(), id) != extras.end();
    };
    for (size_t index = shown_.size(); index-- > kStandardColumnCount;) {
        if (!chosen(shown_[index])) {
            SendMessageW(listView_, LVM_DELETECOLUMN, index, 0);
            shown_.erase(shown_.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }
    // Each new one at its place in the table's order, which the shown ones
    // keep.
    size_t index = kStandardColumnCount;
    for (const TrackColumnId id : ExtraColumns()) {
        if (!chosen(id)) {
            continue;
        }
        if (!IsShown(id)) {
            Insert(index, id);
            TrackListView(listView_, shown_).FillColumn(static_cast<int>(index));
        }
        ++index;
    }
}

std::optional<std::vector<TrackColumnId>> TrackListColumns::ChooseExtras(POINT at,
                                                                         HWND owner) const {
    win::UniqueMenu menu(CreatePopupMenu());
    for (const TrackColumnId id : ExtraColumns()) {
        const std::wstring header = win::WideFromUtf16(ColumnOf(id).Header);
        AppendMenuW(menu.get(), MF_STRING | (IsShown(id) ? MF_CHECKED : MF_UNCHECKED),
                    kFirstMenuId + static_cast<UINT>(id), header.c_str());
    }
    const auto choice = static_cast<UINT>(
        TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                         at.x, at.y, owner, nullptr));
    if (choice < kFirstMenuId) {
        return std::nullopt;
    }
    const auto toggled = static_cast<TrackColumnId>(choice - kFirstMenuId);
    std::vector<TrackColumnId> extras(shown_.begin() + kStandardColumnCount, shown_.end());
    const auto found = std::find(extras.begin(), extras.end(), toggled);
    if (found != extras.end()) {
        extras.erase(found);
    } else {
        extras.push_back(toggled);
    }
    return extras;
}

void TrackListColumns::KeepMinimumWidths() {
    for (size_t index = 0; index < shown_.size(); ++index) {
        const int minimum = win::ScalePixels(ColumnOf(shown_[index]).MinimumWidth, dpi_);
        if (SendMessageW(listView_, LVM_GETCOLUMNWIDTH, index, 0) < minimum) {
            SendMessageW(listView_, LVM_SETCOLUMNWIDTH, index, minimum);
        }
    }
}

void TrackListColumns::ChangeDpi(int dpi) {
    for (size_t index = 0; index < shown_.size(); ++index) {
        const auto width = static_cast<int>(SendMessageW(listView_, LVM_GETCOLUMNWIDTH, index, 0));
        SendMessageW(listView_, LVM_SETCOLUMNWIDTH, index, MulDiv(width, dpi, dpi_));
    }
    dpi_ = dpi;
}
