#include "app/about.h"

#include <commctrl.h>

#include <array>
#include <iterator>
#include <string>

#include "app/resource_ids.h"
#include "core/program_version.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"

namespace {

constexpr wchar_t LineBreak[] = L"\r\n";

constexpr wchar_t CopyrightLine[] = L"Copyright \u00A9 2006 Marrowfen";
constexpr wchar_t Disclaimer[] =
    L"This program is free software and comes without warranty of any kind. You use it at "
    L"your own risk.  Marrowfen shall not  be liable for any loss of data or other damage "
    L"arising from its use.";
constexpr wchar_t ContactLine[] = L"Questions and bug reports: trackhaul@marrowfen.example";
constexpr wchar_t TrademarkLine[] = L"iPod\u2122 is a trademark of its owner.";

constexpr std::array<const wchar_t*, 17> RevisionHistory{
    L"Trackhaul",
    L"=========",
    L"",
    L"Version 0.1a",
    L"-------------------",
    L"* Initial revision.",
    L"",
    L"Version 0.1b",
    L"-------------------",
    L"* Major reword to correctly handle unicode and accented ",
    L"characters.",
    L"* Exported track list is now in unicode text.",
    L"* Fixed a bug trying to use special characters in filenames.",
    L"* Added progress bar displayed while copying files.",
    L"* Added functionality to use Windows XP visual styles.",
    L"* Known bug: unicode filename is not displayed correctly in status ",
    L"bar during extraction.",
};

constexpr int ClientWidth = 373;
constexpr int ClientHeight = 299;
constexpr win::PixelRect PageControlBounds{8, 8, 353, 241};
// Relative to the page area inside the tab control.
constexpr win::PixelRect Image1Bounds{16, 24, 32, 32};
constexpr win::PixelRect LblAboutBounds{72, 24, 257, 169};
constexpr win::PixelRect TxtRevisionBounds{8, 8, 329, 193};
constexpr win::PixelRect BtnOKBounds{280, 264, 83, 25};

std::wstring AboutText() {
    std::wstring text(win::ApplicationTitle);
    text += L" - Version ";
    text += std::wstring(std::begin(kProgramVersion), std::end(kProgramVersion) - 1);
    text += LineBreak;
    text += CopyrightLine;
    for (const wchar_t* paragraph : {Disclaimer, ContactLine, TrademarkLine}) {
        text += LineBreak;
        text += LineBreak;
        text += paragraph;
    }
    return text;
}

std::wstring RevisionText() {
    std::wstring text;
    for (size_t row = 0; row < RevisionHistory.size(); ++row) {
        if (row > 0) {
            text += LineBreak;
        }
        text += RevisionHistory[row];
    }
    return text;
}

}  // namespace

TAboutForm::TAboutForm() : ModalDialog(IDD_ABOUT) {}

void TAboutForm::OnInitDialog() {
    LayOutControls();
    FormCreate();
}

void TAboutForm::LayOutControls() {
    win::SizeClientAndCentre(Handle(), ClientWidth, ClientHeight, GetWindow(Handle(), GW_OWNER));
    HWND pageControl = Item(IDC_PAGECONTROL);
    PlaceItem(IDC_PAGECONTROL, PageControlBounds);
    for (const wchar_t* caption : {L"About Trackhaul", L"Revision History"}) {
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(caption);
        SendMessageW(pageControl, TCM_INSERTITEMW,
                     SendMessageW(pageControl, TCM_GETITEMCOUNT, 0, 0),
                     reinterpret_cast<LPARAM>(&tab));
    }
    // The page area: the tab control's client area without the tabs.
    RECT page{};
    GetClientRect(pageControl, &page);
    SendMessageW(pageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    MapWindowPoints(pageControl, Handle(), reinterpret_cast<POINT*>(&page), 2);
    const POINT pageOrigin{page.left, page.top};
    PlaceItem(IDC_IMAGE1, Image1Bounds, pageOrigin);
    PlaceItem(IDC_LBLABOUT, LblAboutBounds, pageOrigin);
    PlaceItem(IDC_TXTREVISION, TxtRevisionBounds, pageOrigin);
    PlaceItem(IDOK, BtnOKBounds);
    SetWindowPos(pageControl, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TAboutForm::FormCreate() {
    const int size = win::ScalePixels(Image1Bounds.Width, win::WindowDpi(Handle()));
    icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN),
                                              IMAGE_ICON, size, size, 0)));
    SendMessageW(Item(IDC_IMAGE1), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    SetWindowTextW(Item(IDC_LBLABOUT), AboutText().c_str());
    SetWindowTextW(Item(IDC_TXTREVISION), RevisionText().c_str());
    SendMessageW(Item(IDC_PAGECONTROL), TCM_SETCURSEL, 0, 0);
    ShowPage(0);
}

void TAboutForm::ShowPage(int page) {
    ShowWindow(Item(IDC_IMAGE1), page == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_LBLABOUT), page == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_TXTREVISION), page == 1 ? SW_SHOW : SW_HIDE);
}

bool TAboutForm::OnCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) {  // Esc and the close box too
        BtnOKClick();
        return true;
    }
    return false;
}

bool TAboutForm::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_PAGECONTROL && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
        return true;
    }
    return false;
}

void TAboutForm::BtnOKClick() {
    Close(IDOK);
}
