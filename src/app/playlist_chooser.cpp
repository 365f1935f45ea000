#include "app/playlist_chooser.h"

#include <commctrl.h>

#include <iterator>
#include <stdexcept>
#include <string>

#include "app/resource_ids.h"
#include "app/track_list_owner.h"
#include "core/itdbparser.h"
#include "win/cool_bar.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kBandText[] = L"Playlist:";
constexpr wchar_t kAllTracks[] = L"All Tracks";
constexpr int kWidth = 260;
constexpr int kDroppedHeight = 320;  // the list shown below the box

}  // namespace

PlaylistChooser::PlaylistChooser(TrackListOwner& owner, HWND coolBar)
    : owner_(owner), coolBar_(coolBar) {
    comboBox_ = CreateWindowExW(
        0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
        0, 0, 0, coolBar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PLAYLIST)),
        GetModuleHandleW(nullptr), nullptr);
    if (comboBox_ == nullptr) {
        throw std::runtime_error("Cannot create the playlist list.");
    }
    win::AppendBand(coolBar, comboBox_, 0, kBandText, IDC_PLAYLIST);
    Reset(nullptr);
}

void PlaylistChooser::Scale(HFONT font, int dpi) {
    SendMessageW(comboBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(comboBox_, nullptr, 0, 0, win::ScalePixels(kWidth, dpi),
                 win::ScalePixels(kDroppedHeight, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT box{};
    GetWindowRect(comboBox_, &box);  // the closed box's height, whatever the font
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = static_cast<UINT>(win::ScalePixels(kWidth, dpi));
    band.cyMinChild = static_cast<UINT>(box.bottom - box.top);
    SendMessageW(coolBar_, RB_SETBANDINFOW, SendMessageW(coolBar_, RB_IDTOINDEX, IDC_PLAYLIST, 0),
                 reinterpret_cast<LPARAM>(&band));
}

void PlaylistChooser::Reset(const ITDBParser* parser) {
    parser_ = parser;
    playlists_.clear();
    if (parser != nullptr) {
        playlists_ = UserPlaylists(parser->Playlists());
    }
    std::vector<std::wstring> labels;
    labels.reserve(playlists_.size());
    size_t characters = 0;
    for (const Playlist* playlist : playlists_) {
        labels.push_back(win::WideFromUtf16(PlaylistLabel(*playlist)));
        characters += labels.back().size() + 1;
    }
    // One pass: room for every entry is made at once, and the box is drawn
    // once they are all in, not after each.
    SendMessageW(comboBox_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(comboBox_, CB_RESETCONTENT, 0, 0);
    SendMessageW(comboBox_, CB_INITSTORAGE, labels.size() + 1,
                 static_cast<LPARAM>((characters + std::size(kAllTracks)) * sizeof(wchar_t)));
    SendMessageW(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kAllTracks));
    for (const std::wstring& label : labels) {
        SendMessageW(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    }
    shownEntry_ = 0;
    SendMessageW(comboBox_, CB_SETCURSEL, 0, 0);
    SendMessageW(comboBox_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(comboBox_, nullptr, TRUE);
}

void PlaylistChooser::ShowChosen() {
    const auto entry = static_cast<int>(SendMessageW(comboBox_, CB_GETCURSEL, 0, 0));
    if (owner_.IsBusy() || entry < 0 || entry > static_cast<int>(playlists_.size())) {
        SendMessageW(comboBox_, CB_SETCURSEL, static_cast<WPARAM>(shownEntry_), 0);
        return;
    }
    if (entry == shownEntry_ || parser_ == nullptr) {
        return;
    }
    shownEntry_ = entry;
    if (entry == 0) {
        owner_.ShowList(parser_->TracksInFileOrder(), std::nullopt);
    } else {
        const Playlist& playlist = *playlists_[static_cast<size_t>(entry - 1)];
        owner_.ShowList(playlist.Members, PlaylistLabel(playlist));
    }
}

void PlaylistChooser::Focus() {
    SetFocus(comboBox_);
}
