#include "app/find_band.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "app/resource_ids.h"
#include "app/track_list_owner.h"
#include "win/cool_bar.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kBandText[] = L"Find:";
constexpr int kWidth = 160;
constexpr UINT kPauseMilliseconds = 250;

}  // namespace

FindBand::FindBand(TrackListOwner& owner, HWND coolBar) : owner_(owner), coolBar_(coolBar) {
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                            coolBar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FIND)),
                            GetModuleHandleW(nullptr), nullptr);
    if (edit_ == nullptr ||
        !SetWindowSubclass(edit_, EditProcedure, 0, reinterpret_cast<DWORD_PTR>(this))) {
        throw std::runtime_error("Cannot create the find box.");
    }
    win::AppendBand(coolBar, edit_, 0, kBandText, IDC_FIND);
}

void FindBand::Scale(HFONT font, int dpi, int height) {
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(edit_, nullptr, 0, 0, win::ScalePixels(kWidth, dpi), height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = static_cast<UINT>(win::ScalePixels(kWidth, dpi));
    band.cyMinChild = static_cast<UINT>(height);
    SendMessageW(coolBar_, RB_SETBANDINFOW, SendMessageW(coolBar_, RB_IDTOINDEX, IDC_FIND, 0),
                 reinterpret_cast<LPARAM>(&band));
}

void FindBand::Focus() {
    SetFocus(edit_);
    SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void FindBand::TextChanged() {
    SetTimer(owner_.Handle(), kPauseTimer, kPauseMilliseconds, nullptr);
}

void FindBand::PauseEnded() {
    if (owner_.IsBusy()) {
        TextChanged();  // the rows are being walked: try again after a pause
        return;
    }
    ApplyNow();
}

void FindBand::ApplyNow() {
    KillTimer(owner_.Handle(), kPauseTimer);
    const int length = GetWindowTextLengthW(edit_);
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    typed.resize(static_cast<size_t>(GetWindowTextW(edit_, typed.data(), length + 1)));
    if (find_.SetText(win::Utf16FromWide(typed))) {
        owner_.ShowFoundRows();
    }
}

LRESULT CALLBACK FindBand::EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR band) {
    auto& self = *reinterpret_cast<FindBand*>(band);
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE && self.owner_.IsBusy()) {
                self.owner_.RequestStop();
                return 0;
            }
            if ((wParam == VK_ESCAPE || wParam == VK_RETURN) && !self.owner_.IsBusy()) {
                win::RunReportingExceptions(edit, [&] {
                    if (wParam == VK_ESCAPE) {
                        SetWindowTextW(edit, L"");
                    }
                    self.ApplyNow();
                });
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == VK_ESCAPE || wParam == VK_RETURN) {
                return 0;  // handled as keys; no beep
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, EditProcedure, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}
