#include "app/playlist_chooser.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "app/mainform.h"
#include "app/resource_ids.h"
#include "core/itdbparser.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kBandText[] = L"Playlist:";
constexpr wchar_t kAllTracks[] = L"All Tracks";
constexpr int kWidth = 260;
constexpr int kDroppedHeight = 320;  // the list shown below the box

}  // namespace

PlaylistChooser::PlaylistChooser(TMainForm& form, HWND coolBar) : form_(form) {
    comboBox_ = CreateWindowExW(
        0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
        0, win::ScalePixels(kWidth), win::ScalePixels(kDroppedHeight), coolBar,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PLAYLIST)), GetModuleHandleW(nullptr),
        nullptr);
    if (comboBox_ == nullptr) {
        throw std::runtime_error("Cannot create the playlist list.");
    }
    // The track list's font, which shows titles in any script.
    SendMessageW(comboBox_, WM_SETFONT, SendMessageW(form.TrackList(), WM_GETFONT, 0, 0), FALSE);
    RECT box{};
    GetWindowRect(comboBox_, &box);  // the closed box's height, whatever the font
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_TEXT;
    band.fStyle = RBBS_CHILDEDGE;
    band.lpText = const_cast<wchar_t*>(kBandText);
    band.hwndChild = comboBox_;
    band.cxMinChild = win::ScalePixels(kWidth);
    band.cyMinChild = box.bottom - box.top;
    SendMessageW(coolBar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    Reset(nullptr);
}

void PlaylistChooser::Reset(const ITDBParser* parser) {
    playlists_.clear();
    SendMessageW(comboBox_, CB_RESETCONTENT, 0, 0);
    SendMessageW(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kAllTracks));
    if (parser != nullptr) {
        playlists_ = UserPlaylists(parser->Playlists());
    }
    for (const Playlist* playlist : playlists_) {
        const std::wstring label = win::WideFromUtf16(PlaylistLabel(*playlist));
        SendMessageW(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    }
    shownEntry_ = 0;
    SendMessageW(comboBox_, CB_SETCURSEL, 0, 0);
}

void PlaylistChooser::ShowChosen() {
    const auto entry = static_cast<int>(SendMessageW(comboBox_, CB_GETCURSEL, 0, 0));
    if (form_.IsBusy() || entry < 0 || entry > static_cast<int>(playlists_.size())) {
        SendMessageW(comboBox_, CB_SETCURSEL, static_cast<WPARAM>(shownEntry_), 0);
        return;
    }
    if (entry == shownEntry_ || !form_.Parser) {
        return;
    }
    shownEntry_ = entry;
    if (entry == 0) {
        std::vector<const OneTrack*> tracks;
        for (form_.Parser->First(); form_.Parser->HasNext();) {
            tracks.push_back(form_.Parser->Next());
        }
        form_.ShowList(std::move(tracks), std::nullopt);
    } else {
        const Playlist& playlist = *playlists_[static_cast<size_t>(entry - 1)];
        form_.ShowList(playlist.Members, PlaylistLabel(playlist));
    }
}

void PlaylistChooser::Focus() {
    SetFocus(comboBox_);
}
