// The main window's bars and track list: building them, laying them out at
// the window's DPI, showing and hiding the menu bar, toolbar and status bar,
// and dropping down the menus.
#include "app/mainform.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <cwctype>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/command_images.h"
#include "app/command_menus.h"
#include "app/resource_ids.h"
#include "win/cool_bar.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

// The menu bar's buttons, one for each submenu of the main menu, in its
// order and with its title: MenuBarFirstId plus the submenu's position.
constexpr int MenuBarFirstId = 1100;
constexpr int MenuBarButtonWidth = 36;
constexpr int MenuBarButtonHeight = 21;

std::wstring MenuTitle(HMENU menu, int position) {
    std::wstring title(static_cast<size_t>(GetMenuStringW(menu, static_cast<UINT>(position),
                                                          nullptr, 0, MF_BYPOSITION)) +
                           1,
                       L'\0');
    title.resize(
        static_cast<size_t>(GetMenuStringW(menu, static_cast<UINT>(position), title.data(),
                                           static_cast<int>(title.size()), MF_BYPOSITION)));
    return title;
}

// The room around a command image, as the system leaves it at 96 DPI.
constexpr SIZE ToolbarPadding{7, 6};

constexpr int StatusBarHeight = 19;
// The album art pane's width, at most half the window's.
constexpr int AlbumArtWidth = 220;
constexpr std::array<int, 2> StatusPanelEdges{200, 400};  // the last panel takes the rest
constexpr win::PixelRect ProgressBarBounds{204, 4, 192, 13};

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

HWND CreateChild(const wchar_t* className, DWORD style, HWND parent, int id = 0) {
    HWND child =
        CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (child == nullptr) {
        throw std::runtime_error("Cannot create the main window's controls.");
    }
    return child;
}

// A flat toolbar inside the band container whose notifications go to the
// main window.
HWND CreateBandToolbar(HWND coolBar, HWND owner) {
    HWND toolbar = CreateChild(TOOLBARCLASSNAMEW,
                               WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | CCS_NODIVIDER |
                                   CCS_NORESIZE | CCS_NOPARENTALIGN,
                               coolBar);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETPARENT, reinterpret_cast<WPARAM>(owner), 0);
    return toolbar;
}

// The band at `index` is never smaller than `minimum`.
void SetBandMinimum(HWND coolBar, int index, SIZE minimum) {
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = minimum.cx;
    band.cyMinChild = minimum.cy;
    SendMessageW(coolBar, RB_SETBANDINFOW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&band));
}

// The program's icon at the size of `metric` for `dpi`.
win::UniqueIcon LoadMainIcon(int metric, int dpi) {
    const int size = win::SystemMetric(metric, dpi);
    return win::UniqueIcon(static_cast<HICON>(
        LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, size, size, 0)));
}
void SetMenuCheck(HMENU menu, int id, bool checked) {
    CheckMenuItem(menu, static_cast<UINT>(id),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int BandIndex(bool menuBar) {
    return menuBar ? 0 : 1;
}
// The bands of the playlist list and the find box, which show and hide with
// the toolbar.
constexpr int PlaylistBandIndex = 2;
constexpr int FindBandIndex = 3;

}  // namespace

void TMainForm::CreateComponents() {
    mainMenu_ = BuildMainMenu(Commands(), SubmenuImages());
    popupMenu_ = BuildContextMenu(Commands());
    if (!mainMenu_ || !popupMenu_) {
        throw std::runtime_error("Cannot load the main window's resources.");
    }
    shortcuts_ = CreateShortcutTable(Commands());
    CreateCoolBar();
    CreateTrackList();
    playlists_ = std::make_unique<PlaylistChooser>(*this, coolBar_);
    find_ = std::make_unique<FindBand>(*this, coolBar_);
    albumArt_ = std::make_unique<AlbumArtPane>(window_, [this] { return FocusedPicture(); });
    CreateStatusBar();
    ScaleComponents();
}

void TMainForm::CreateCoolBar() {
    coolBar_ = CreateChild(REBARCLASSNAMEW,
                           WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                               RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                           window_);
    CreateMenuBar();
    CreateCommandToolbar();
}

void TMainForm::CreateMenuBar() {
    toolBar1_ = CreateBandToolbar(coolBar_, window_);
    SendMessageW(toolBar1_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    for (int position = 0; position < GetMenuItemCount(mainMenu_.get()); ++position) {
        const std::wstring title = MenuTitle(mainMenu_.get(), position);
        TBBUTTON tb{};
        tb.iBitmap = I_IMAGENONE;
        tb.idCommand = MenuBarFirstId + position;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_DROPDOWN;
        tb.iString = reinterpret_cast<INT_PTR>(title.c_str());
        SendMessageW(toolBar1_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
    win::AppendBand(coolBar_, toolBar1_, 0);
}

void TMainForm::CreateCommandToolbar() {
    toolBar2_ = CreateBandToolbar(coolBar_, window_);
    // The buttons in the order of their places, a separator where the
    // hundreds change, as in the menus.
    std::vector<const Command*> buttons;
    for (const Command& command : Commands()) {
        if (command.ToolbarPlace != 0) {
            buttons.push_back(&command);
        }
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](const Command* a, const Command* b) {
        return a->ToolbarPlace < b->ToolbarPlace;
    });
    const auto add = [this](int id, BYTE style, int image) {
        TBBUTTON tb{};
        tb.idCommand = id;
        tb.fsState = TBSTATE_ENABLED;
        tb.iString = -1;
        tb.fsStyle = style;
        tb.iBitmap = image;
        SendMessageW(toolBar2_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    };
    for (size_t index = 0; index < buttons.size(); ++index) {
        if (index > 0 &&
            buttons[index - 1]->ToolbarPlace / 100 != buttons[index]->ToolbarPlace / 100) {
            add(0, BTNS_SEP, 0);
        }
        const int image = CommandImageIndex(buttons[index]->Image);
        add(buttons[index]->Id, BTNS_BUTTON, image >= 0 ? image : I_IMAGENONE);
    }
    win::AppendBand(coolBar_, toolBar2_, RBBS_BREAK);
}

void TMainForm::CreateTrackList() {
    // In-place editing is left off: a row's text always shows its track.
    trackList_ = CreateChild(WC_LISTVIEWW, WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                             window_);
    SetWindowLongPtrW(trackList_, GWL_EXSTYLE,
                      GetWindowLongPtrW(trackList_, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SendMessageW(trackList_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    columns_ = std::make_unique<TrackListColumns>(trackList_, dpi_);
}

void TMainForm::CreateStatusBar() {
    // Placed by Layout: left to itself the bar takes the height of its font.
    statusBar_ = CreateChild(
        STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, window_);
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(ReadyText().c_str()));
}

void TMainForm::FormCreate() {
    SendMessageW(trackList_, CCM_SETUNICODEFORMAT, TRUE, 0);
    progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, statusBar_,
                                   nullptr, Instance(), nullptr);
    if (progressBar_ == nullptr) {
        throw std::runtime_error("Cannot create the progress bar.");
    }
    PlaceProgressBar();
    SendMessageW(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void TMainForm::PlaceProgressBar() {
    win::PlaceChild(progressBar_, ProgressBarBounds, dpi_);
}

void TMainForm::ScaleComponents() {
    ScaleFonts();
    ScaleToolbars();
    ScaleStatusBar();
    bigIcon_ = LoadMainIcon(SM_CXICON, dpi_);
    smallIcon_ = LoadMainIcon(SM_CXSMICON, dpi_);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    Layout();
}

// Each control takes its new font before the old one goes.
void TMainForm::ScaleFonts() {
    win::UniqueFont barFont = win::CreateMessageFont(dpi_);
    for (HWND bar : {coolBar_, toolBar1_, toolBar2_, statusBar_}) {
        SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(barFont.get()), FALSE);
    }
    messageFont_ = std::move(barFont);
    // Arial with Cyrillic letters, which shows titles in any script.
    win::UniqueFont listFont =
        win::CreateFaceFont(L"Arial", RUSSIAN_CHARSET, win::PointsToPixels(8, dpi_));
    SendMessageW(trackList_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont.get()), FALSE);
    playlists_->Scale(listFont.get(), dpi_);
    RECT playlists{};
    GetWindowRect(PlaylistList(), &playlists);  // the closed box's height, whatever the font
    find_->Scale(listFont.get(), dpi_, playlists.bottom - playlists.top);
    trackListFont_ = std::move(listFont);
}

void TMainForm::ScaleToolbars() {
    const int width = win::ScalePixels(MenuBarButtonWidth, dpi_);
    const int height = win::ScalePixels(MenuBarButtonHeight, dpi_);
    SendMessageW(toolBar1_, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    SendMessageW(toolBar1_, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
    SetBandMinimum(coolBar_, BandIndex(true),
                   SIZE{width * GetMenuItemCount(mainMenu_.get()), height});

    win::UniqueImageList images = LoadCommandImages(dpi_);
    SendMessageW(toolBar2_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    imageList_ = std::move(images);  // the menus draw from it too
    int imageSize = 0;
    ImageList_GetIconSize(imageList_.get(), &imageSize, &imageSize);
    const int paddingWidth = win::ScalePixels(ToolbarPadding.cx, dpi_);
    const int paddingHeight = win::ScalePixels(ToolbarPadding.cy, dpi_);
    SendMessageW(toolBar2_, TB_SETPADDING, 0, MAKELPARAM(paddingWidth, paddingHeight));
    SendMessageW(toolBar2_, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(imageSize + paddingWidth, imageSize + paddingHeight));
    SIZE toolbar{};
    SendMessageW(toolBar2_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolbar));
    SetBandMinimum(coolBar_, BandIndex(false), toolbar);
}

void TMainForm::ScaleStatusBar() {
    std::array<int, 3> rightEdges{win::ScalePixels(StatusPanelEdges[0], dpi_),
                                  win::ScalePixels(StatusPanelEdges[1], dpi_), -1};
    SendMessageW(statusBar_, SB_SETPARTS, rightEdges.size(),
                 reinterpret_cast<LPARAM>(rightEdges.data()));
    if (progressBar_ != nullptr) {
        PlaceProgressBar();
    }
}

void TMainForm::FormDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    columns_->ChangeDpi(dpi);
    ScaleComponents();
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
void TMainForm::Layout() {
    RECT client{};
    GetClientRect(window_, &client);
    int top = client.top;
    int bottom = client.bottom;
    if (GetWindowLongPtrW(coolBar_, GWL_STYLE) & WS_VISIBLE) {
        SendMessageW(coolBar_, WM_SIZE, 0, 0);
        RECT bar{};
        GetWindowRect(coolBar_, &bar);
        top += bar.bottom - bar.top;
    }
    if (GetWindowLongPtrW(statusBar_, GWL_STYLE) & WS_VISIBLE) {
        const int height = win::ScalePixels(StatusBarHeight, dpi_);
        bottom -= height;
        MoveWindow(statusBar_, client.left, bottom, client.right - client.left, height, TRUE);
    }
    int listWidth = client.right - client.left;
    if (albumArt_ && IsBarVisible(Bar::AlbumArt)) {
        const int paneWidth = std::min(win::ScalePixels(AlbumArtWidth, dpi_), listWidth / 2);
        listWidth -= paneWidth;
        MoveWindow(albumArt_->Handle(), client.left + listWidth, top, paneWidth,
                   std::max(bottom - top, 0), TRUE);
    }
    MoveWindow(trackList_, client.left, top, listWidth, std::max(bottom - top, 0), TRUE);
}

// The bars ----------------------------------------------------------------------

bool TMainForm::IsBarVisible(Bar bar) const {
    if (bar == Bar::StatusBar || bar == Bar::AlbumArt) {
        HWND window = bar == Bar::StatusBar ? statusBar_ : albumArt_->Handle();
        return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    SendMessageW(coolBar_, RB_GETBANDINFOW, BandIndex(bar == Bar::MenuBar),
                 reinterpret_cast<LPARAM>(&band));
    return (band.fStyle & RBBS_HIDDEN) == 0;
}

void TMainForm::SetBarVisible(Bar bar, bool visible) {
    int menuId = ID_VIEW_STATUSBAR;
    if (bar == Bar::StatusBar) {
        ShowWindow(statusBar_, visible ? SW_SHOWNA : SW_HIDE);
    } else if (bar == Bar::AlbumArt) {
        menuId = ID_VIEW_ALBUMART;
        ShowWindow(albumArt_->Handle(), visible ? SW_SHOWNA : SW_HIDE);
        albumArt_->FollowFocus();
    } else {
        menuId = bar == Bar::MenuBar ? ID_VIEW_MENUBAR : ID_VIEW_TOOLBAR;
        SendMessageW(coolBar_, RB_SHOWBAND, BandIndex(bar == Bar::MenuBar), visible);
        if (bar == Bar::Toolbar) {
            SendMessageW(coolBar_, RB_SHOWBAND, PlaylistBandIndex, visible);
            SendMessageW(coolBar_, RB_SHOWBAND, FindBandIndex, visible);
        }
        // With no band left the container would still take up a strip.
        const bool anyBand = IsBarVisible(Bar::MenuBar) || IsBarVisible(Bar::Toolbar);
        ShowWindow(coolBar_, anyBand ? SW_SHOWNA : SW_HIDE);
    }
    SetMenuCheck(mainMenu_.get(), menuId, visible);
    SetMenuCheck(popupMenu_.get(), menuId, visible);
    Layout();
}

void TMainForm::ToggleBar(Bar bar) {
    const bool visible = !IsBarVisible(bar);
    SetBarVisible(bar, visible);
    switch (bar) {
        case Bar::MenuBar:
            SettingsForm->SetShowMenuBar(visible);
            break;
        case Bar::Toolbar:
            SettingsForm->SetShowToolbar(visible);
            break;
        case Bar::StatusBar:
            SettingsForm->SetShowStatusBar(visible);
            break;
        case Bar::AlbumArt:
            SettingsForm->SetShowAlbumArt(visible);
            break;
    }
}
void TMainForm::DropDownMenu(int buttonId) {
    const int position = buttonId - MenuBarFirstId;
    if (position >= 0 && position < GetMenuItemCount(mainMenu_.get())) {
        const auto index = SendMessageW(toolBar1_, TB_COMMANDTOINDEX, buttonId, 0);
        RECT rect{};
        SendMessageW(toolBar1_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        MapWindowPoints(toolBar1_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        TPMPARAMS keepButtonVisible{sizeof(TPMPARAMS), rect};
        SendMessageW(toolBar1_, TB_PRESSBUTTON, buttonId, TRUE);
        TrackPopupMenuEx(GetSubMenu(mainMenu_.get(), position),
                         TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, rect.left,
                         rect.bottom, window_, &keepButtonVisible);
        SendMessageW(toolBar1_, TB_PRESSBUTTON, buttonId, FALSE);
    }
}

bool TMainForm::DropDownMenuByKey(wchar_t key) {
    if (!IsBarVisible(Bar::MenuBar)) {
        return false;  // hiding the menu bar hides its menus
    }
    for (int position = 0; position < GetMenuItemCount(mainMenu_.get()); ++position) {
        const std::wstring title = MenuTitle(mainMenu_.get(), position);
        const size_t accessKey = title.find(L'&');
        if (accessKey != std::wstring::npos && accessKey + 1 < title.size() &&
            towlower(title[accessKey + 1]) == towlower(key)) {
            DropDownMenu(MenuBarFirstId + position);
            return true;
        }
    }
    return false;
}

void TMainForm::ChooseExtraColumns(LPARAM position) {
    if (IsBusy()) {
        return;  // the rows are being walked or replaced
    }
    const std::optional<std::vector<TrackColumnId>> extras =
        columns_->ChooseExtras(POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}, window_);
    if (extras) {
        const WaitCursor hourglass(*this);
        TrackListView rows = Rows();
        rows.SetRedraw(false);
        columns_->ShowExtras(*extras);
        rows.SetRedraw(true);
        SettingsForm->SetExtraColumns(ExtraColumnNames(*extras));
    }
}

void TMainForm::ShowContextMenu(LPARAM position) {
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (position == -1) {  // from the keyboard: at the list's top left corner
        at = POINT{0, 0};
        ClientToScreen(trackList_, &at);
    }
    TrackPopupMenuEx(GetSubMenu(popupMenu_.get(), 0),
                     TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, window_, nullptr);
}
