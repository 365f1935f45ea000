#include "win/cool_bar.h"

#include <commctrl.h>

namespace win {

void AppendBand(HWND coolBar, HWND child, UINT style, const wchar_t* label, UINT id) {
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_ID | (label != nullptr ? RBBIM_TEXT : 0);
    band.fStyle = RBBS_CHILDEDGE | style;
    band.lpText = const_cast<wchar_t*>(label);
    band.hwndChild = child;
    band.wID = id;
    SendMessageW(coolBar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

}  // namespace win
