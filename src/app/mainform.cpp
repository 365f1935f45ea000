#include "app/mainform.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <cwctype>
#include <stdexcept>

#include "app/about.h"
#include "app/action_binding.h"
#include "app/actions.h"
#include "app/export_playlists.h"
#include "app/export_track_list.h"
#include "app/extract_tracks.h"
#include "app/resource_ids.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t WindowClassName[] = L"TMainForm";

// Positions inside the menus that the command table cannot name.
constexpr int ViewMenuPosition = 2;
constexpr UINT SortListByPosition = 4;
constexpr int SortSubmenuImage = 7;

struct MenuBarButton {
    int Id;
    const wchar_t* Caption;
    int MenuPosition;  // in MainMenu
};
constexpr int MenuBarFirstId = 1100;
constexpr std::array<MenuBarButton, 4> MenuBarButtons{{
    {MenuBarFirstId, L"&File", 0},
    {MenuBarFirstId + 1, L"&Edit", 1},
    {MenuBarFirstId + 2, L"&View", 2},
    {MenuBarFirstId + 3, L"&Help", 3},
}};

struct Column {
    const wchar_t* Header;
    int Width;
    int MinimumWidth;  // 0: none
    int Format;
};
constexpr std::array<Column, 9> Columns{{
    {L"Track #", 50, 10, LVCFMT_LEFT},
    {L"Title", 130, 50, LVCFMT_LEFT},
    {L"Artist", 130, 50, LVCFMT_LEFT},
    {L"Album", 130, 0, LVCFMT_LEFT},
    {L"Length", 80, 0, LVCFMT_RIGHT},
    {L"Track Type", 100, 30, LVCFMT_LEFT},
    {L"Encoding", 100, 30, LVCFMT_LEFT},
    {L"Bit Rate", 75, 30, LVCFMT_RIGHT},
    {L"Sample Rate", 75, 30, LVCFMT_RIGHT},
}};

// Posted when the user has resized a column of the track list.
constexpr UINT KeepColumnMinimumWidthsMessage = WM_APP + 1;

constexpr int StatusBarHeight = 19;
constexpr std::array<int, 2> StatusPanelWidths{200, 200};  // the last panel takes the rest
constexpr win::PixelRect ProgressBarBounds{204, 4, 192, 13};

std::wstring ReadyText() {
    return std::wstring(win::ApplicationTitle) + L" Ready";
}

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

// Appends a band holding `child`, never smaller than `minimum`.
void AddBand(HWND coolBar, HWND child, SIZE minimum, UINT style) {
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE;
    band.fStyle = RBBS_CHILDEDGE | style;
    band.hwndChild = child;
    band.cxMinChild = minimum.cx;
    band.cyMinChild = minimum.cy;
    SendMessageW(coolBar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void RegisterWindowClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = Instance();
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 32, 32, LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 16, 16, LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("Cannot register the main window.");
    }
}

void SetMenuCheck(HMENU menu, int id, bool checked) {
    CheckMenuItem(menu, static_cast<UINT>(id),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int BandIndex(bool menuBar) {
    return menuBar ? 0 : 1;
}
// The playlist list's band, which shows and hides with the toolbar.
constexpr int PlaylistBandIndex = 2;

}  // namespace

// Construction and teardown ---------------------------------------------------

TMainForm::TMainForm() {
    instance_ = this;
    RegisterWindowClass(WindowProcedure);
    CreateWindowExW(0, WindowClassName, win::ApplicationTitle.data(),
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance(), this);
    if (creationError_) {
        instance_ = nullptr;
        std::rethrow_exception(creationError_);
    }
    if (window_ == nullptr) {
        instance_ = nullptr;
        throw std::runtime_error("Cannot create the main window.");
    }
    try {
        Drive.clear();
        SettingsForm = std::make_unique<TPreferencesForm>(window_);
        OverwriteForm = std::make_unique<TOverwritePromptForm>(window_);
        const WindowBounds& bounds = SettingsForm->GetWindowBounds();
        SetWindowPos(window_, nullptr, bounds.Left, bounds.Top, bounds.Width, bounds.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetBarVisible(Bar::MenuBar, SettingsForm->GetShowMenuBar());
        SetBarVisible(Bar::Toolbar, SettingsForm->GetShowToolbar());
        SetBarVisible(Bar::StatusBar, SettingsForm->GetShowStatusBar());
        Parser.reset();
        FormCreate();
    } catch (...) {
        DestroyWindow(window_);
        instance_ = nullptr;
        throw;
    }
    constructed_ = true;
}

TMainForm::~TMainForm() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    instance_ = nullptr;
}

void TMainForm::CreateComponents() {
    imageList_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 8, 0));
    {
        win::UniqueBitmap strip(
            static_cast<HBITMAP>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDB_COMMAND_IMAGES),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        ImageList_AddMasked(imageList_.get(), strip.get(), RGB(255, 0, 255));
    }
    mainMenu_.reset(LoadMenuW(Instance(), MAKEINTRESOURCEW(IDM_MAIN_MENU)));
    popupMenu_.reset(LoadMenuW(Instance(), MAKEINTRESOURCEW(IDM_POPUP_MENU)));
    if (!imageList_ || !mainMenu_ || !popupMenu_) {
        throw std::runtime_error("Cannot load the main window's resources.");
    }
    BindMenus();
    shortcuts_ = CreateShortcutTable();
    CreateCoolBar();
    CreateTrackList();
    // After the track list, whose font it shares: names in any script show.
    playlists_ = std::make_unique<PlaylistChooser>(*this, coolBar_);
    CreateStatusBar();
}

void TMainForm::BindMenus() {
    BindActionsToMenu(mainMenu_.get());
    BindActionsToMenu(popupMenu_.get());
    SetMenuEntryImage(GetSubMenu(mainMenu_.get(), ViewMenuPosition), SortListByPosition,
                      SortSubmenuImage);
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
    for (const MenuBarButton& button : MenuBarButtons) {
        TBBUTTON tb{};
        tb.iBitmap = I_IMAGENONE;
        tb.idCommand = button.Id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_DROPDOWN;
        tb.iString = reinterpret_cast<INT_PTR>(button.Caption);
        SendMessageW(toolBar1_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
    const int width = win::ScalePixels(36);
    const int height = win::ScalePixels(21);
    SendMessageW(toolBar1_, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    SendMessageW(toolBar1_, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));

    AddBand(coolBar_, toolBar1_, SIZE{width * static_cast<LONG>(MenuBarButtons.size()), height}, 0);
}

void TMainForm::CreateCommandToolbar() {
    toolBar2_ = CreateBandToolbar(coolBar_, window_);
    SendMessageW(toolBar2_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_.get()));
    constexpr int Separator = 0;
    constexpr std::array<int, 10> buttons{
        ID_FILE_OPEN,        ID_FILE_CLOSE, ID_FILE_EXPORT, ID_FILE_EXTRACT, Separator,
        ID_EDIT_PREFERENCES, Separator,     ID_HELP_ABOUT,  Separator,       ID_TOOLBUTTON14};
    for (int id : buttons) {
        TBBUTTON tb{};
        tb.idCommand = id;
        tb.fsState = TBSTATE_ENABLED;
        tb.iString = -1;
        if (id == Separator) {
            tb.fsStyle = BTNS_SEP;
        } else {
            const Action* action = FindAction(id);
            tb.iBitmap = action != nullptr ? action->Image : I_IMAGENONE;
            tb.fsStyle = BTNS_BUTTON;
        }
        SendMessageW(toolBar2_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SIZE size{};
    SendMessageW(toolBar2_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    AddBand(coolBar_, toolBar2_, size, RBBS_BREAK);
}

void TMainForm::CreateTrackList() {
    // In-place editing is left off: a row's text always shows its track.
    trackList_ = CreateChild(WC_LISTVIEWW, WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                             window_);
    SetWindowLongPtrW(trackList_, GWL_EXSTYLE,
                      GetWindowLongPtrW(trackList_, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SendMessageW(trackList_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    HDC screen = GetDC(nullptr);
    const int fontHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    trackListFont_.reset(CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
    SendMessageW(trackList_, WM_SETFONT, reinterpret_cast<WPARAM>(trackListFont_.get()), FALSE);
    for (size_t index = 0; index < Columns.size(); ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = Columns[index].Format;
        column.cx = win::ScalePixels(Columns[index].Width);
        column.pszText = const_cast<wchar_t*>(Columns[index].Header);
        column.iSubItem = static_cast<int>(index);
        SendMessageW(trackList_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
}

void TMainForm::CreateStatusBar() {
    // Placed by Layout: left to itself the bar takes the height of its font.
    statusBar_ = CreateChild(
        STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, window_);
    std::array<int, 3> rightEdges{};
    rightEdges[0] = win::ScalePixels(StatusPanelWidths[0]);
    rightEdges[1] = rightEdges[0] + win::ScalePixels(StatusPanelWidths[1]);
    rightEdges[2] = -1;
    SendMessageW(statusBar_, SB_SETPARTS, rightEdges.size(),
                 reinterpret_cast<LPARAM>(rightEdges.data()));
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(ReadyText().c_str()));
}

void TMainForm::FormCreate() {
    SendMessageW(trackList_, CCM_SETUNICODEFORMAT, TRUE, 0);
    progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, statusBar_,
                                   nullptr, Instance(), nullptr);
    if (progressBar_ == nullptr) {
        throw std::runtime_error("Cannot create the progress bar.");
    }
    win::PlaceChild(progressBar_, ProgressBarBounds);
    SendMessageW(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void TMainForm::Show(int showCommand) {
    win::RunReportingExceptions(window_, [this] { FormShow(); });
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

void TMainForm::FormShow() {
    if (!SettingsForm->GetFirstRun()) {
        return;
    }
    const std::wstring title(win::ApplicationTitle);
    const int answer = win::ShowMessageBox(
        window_,
        L"Thank you for choosing " + title + L" Do you want to configure program parameters?",
        L"Welcome to " + title, MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) {
        ProcessMessages();
        ActionEditPreferencesExecute();
    }
}

void TMainForm::FormResize() {
    Layout();
    if (SettingsForm && IsWindowVisible(window_) && !IsIconic(window_) && !IsZoomed(window_)) {
        StoreWindowBounds();
    }
}

void TMainForm::StoreWindowBounds() {
    RECT bounds{};
    GetWindowRect(window_, &bounds);
    if (IsIconic(window_)) {
        // A minimised window sits far off the screen; keep the place it
        // returns to instead, so the next start shows it where it was.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(window_, &placement);
        RECT workArea{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
        bounds = placement.rcNormalPosition;
        OffsetRect(&bounds, workArea.left, workArea.top);
    }
    SettingsForm->SetWindowBounds(bounds.left, bounds.top, bounds.right - bounds.left,
                                  bounds.bottom - bounds.top);
}

void TMainForm::FormDestroy() {
    // The status text lets pending messages through; no command may run on
    // a window that is going.
    tearingDown_ = true;
    // Each step runs even when an earlier one failed, so nothing is left
    // half released.
    win::RunReportingExceptions(window_, [this] { ActionFileCloseExecute(); });
    if (SettingsForm) {
        win::RunReportingExceptions(window_, [this] { StoreWindowBounds(); });
    }
    SettingsForm.reset();
    OverwriteForm.reset();
    if (progressBar_ != nullptr) {
        DestroyWindow(progressBar_);
        progressBar_ = nullptr;
    }
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
        const int height = win::ScalePixels(StatusBarHeight);
        bottom -= height;
        MoveWindow(statusBar_, client.left, bottom, client.right - client.left, height, TRUE);
    }
    MoveWindow(trackList_, client.left, top, client.right - client.left, std::max(bottom - top, 0),
               TRUE);
}

// The bars ----------------------------------------------------------------------

bool TMainForm::IsBarVisible(Bar bar) const {
    if (bar == Bar::StatusBar) {
        return (GetWindowLongPtrW(statusBar_, GWL_STYLE) & WS_VISIBLE) != 0;
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
    } else {
        menuId = bar == Bar::MenuBar ? ID_VIEW_MENUBAR : ID_VIEW_TOOLBAR;
        SendMessageW(coolBar_, RB_SHOWBAND, BandIndex(bar == Bar::MenuBar), visible);
        if (bar == Bar::Toolbar) {
            SendMessageW(coolBar_, RB_SHOWBAND, PlaylistBandIndex, visible);
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
    }
}

// Services ----------------------------------------------------------------------

void TMainForm::SetStatusText(const std::string& text) {
    const std::wstring wide = win::WideFromAnsi(text);
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    ProcessMessages();
}

void TMainForm::SetStatusText(std::u16string_view text) {
    const std::wstring wide = win::WideFromUtf16(text);
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    ProcessMessages();
}

void TMainForm::ShowReadyStatus() {
    SetStatusText(win::AnsiFromWide(ReadyText()));
}

void TMainForm::SetItemStatus(std::u16string_view text) {
    const std::wstring wide = win::WideFromUtf16(text);
    SendMessageW(statusBar_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TMainForm::SetProgress(int percent) {
    SetProgressPosition(percent);
    ProcessMessages();
}

void TMainForm::SetProgressPosition(int percent) {
    SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void TMainForm::ShowProgress(bool visible) {
    SetProgress(0);
    ShowWindow(progressBar_, visible ? SW_SHOWNA : SW_HIDE);
}

bool TMainForm::TargetExists(std::u16string_view path) const {
    const std::wstring name = win::WideFromUtf16(path);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

bool TMainForm::IsOnPlayerDrive(std::u16string_view path) const {
    const std::wstring drive = win::WideFromAnsi(Drive);
    return !drive.empty() && path.size() >= drive.size() &&
           CompareStringOrdinal(drive.c_str(), static_cast<int>(drive.size()),
                                win::WideFromUtf16(path).c_str(), static_cast<int>(drive.size()),
                                TRUE) == CSTR_EQUAL;
}

std::u16string TMainForm::GetExtractPath() const {
    return SettingsForm->GetExtractPath();
}

void TMainForm::ProcessMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the main message loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!TranslateShortcut(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool TMainForm::TranslateShortcut(MSG& message) {
    if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) {
        return false;
    }
    return TranslateAcceleratorW(window_, shortcuts_.get(), &message) != 0;
}

// Messages ----------------------------------------------------------------------

LRESULT CALLBACK TMainForm::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<TMainForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TMainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    win::RunReportingExceptions(
        window, [&] { handled = form->HandleMessage(message, wParam, lParam, result); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
    }
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

bool TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            try {
                CreateComponents();
            } catch (...) {
                creationError_ = std::current_exception();
                result = -1;
            }
            return true;
        case WM_SIZE:
            FormResize();
            return true;
        case WM_COMMAND:
            if (playlists_ && reinterpret_cast<HWND>(lParam) == PlaylistList()) {
                if (HIWORD(wParam) == CBN_SELCHANGE && !tearingDown_) {
                    playlists_->ShowChosen();
                }
                return true;
            }
            if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
                RunCommand(LOWORD(wParam));
                return true;
            }
            return false;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom == toolBar1_ && header.code == TBN_DROPDOWN) {
                DropDownMenu(reinterpret_cast<NMTOOLBARW&>(header).iItem);
                result = TBDDRET_DEFAULT;
                return true;
            }
            if (header.hwndFrom == coolBar_ && header.code == RBN_HEIGHTCHANGE) {
                Layout();
                return true;
            }
            if (header.hwndFrom == trackList_ && header.code == LVN_DELETEALLITEMS) {
                // No notice for each row deleted: nothing here needs one,
                // and those of 40,000 rows take half a second.
                result = TRUE;
                return true;
            }
            if (header.hwndFrom == trackList_ && header.code == LVN_COLUMNCLICK) {
                TrackListColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
                return true;
            }
            if (GetParent(header.hwndFrom) == trackList_ &&
                (header.code == HDN_ENDTRACKW || header.code == HDN_ITEMCHANGEDW)) {
                // The header applies the new width after telling; check it then.
                PostMessageW(window_, KeepColumnMinimumWidthsMessage, 0, 0);
            }
            return false;
        }
        case KeepColumnMinimumWidthsMessage:
            KeepColumnMinimumWidths();
            return true;
        case WM_SYSCOMMAND:
            // Alt with a menu's access key, as a standard menu bar offers.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam != 0) {
                return DropDownMenuByKey(static_cast<wchar_t>(lParam));
            }
            return false;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == trackList_) {
                ShowContextMenu(lParam);
                return true;
            }
            return false;
        case WM_MEASUREITEM:
            return MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        case WM_DRAWITEM:
            return DrawMenuImage(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), imageList_.get());
        case WM_SETCURSOR:
            if (UpdateCursor()) {
                result = TRUE;
                return true;
            }
            return false;
        case WM_CLOSE:
            if (!tearingDown_ && busy_.MayCloseNow(window_)) {
                DestroyWindow(window_);
            }
            return true;
        case WM_DESTROY:
            FormDestroy();
            if (constructed_) {
                PostQuitMessage(0);
            }
            return true;
        default:
            return false;
    }
}

void TMainForm::KeepColumnMinimumWidths() {
    for (size_t index = 0; index < Columns.size(); ++index) {
        const int minimum = win::ScalePixels(Columns[index].MinimumWidth);
        if (SendMessageW(trackList_, LVM_GETCOLUMNWIDTH, index, 0) < minimum) {
            SendMessageW(trackList_, LVM_SETCOLUMNWIDTH, index, minimum);
        }
    }
}

void TMainForm::DropDownMenu(int buttonId) {
    for (const MenuBarButton& button : MenuBarButtons) {
        if (button.Id != buttonId) {
            continue;
        }
        const auto index = SendMessageW(toolBar1_, TB_COMMANDTOINDEX, buttonId, 0);
        RECT rect{};
        SendMessageW(toolBar1_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        MapWindowPoints(toolBar1_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        TPMPARAMS keepButtonVisible{sizeof(TPMPARAMS), rect};
        SendMessageW(toolBar1_, TB_PRESSBUTTON, buttonId, TRUE);
        TrackPopupMenuEx(GetSubMenu(mainMenu_.get(), button.MenuPosition),
                         TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, rect.left,
                         rect.bottom, window_, &keepButtonVisible);
        SendMessageW(toolBar1_, TB_PRESSBUTTON, buttonId, FALSE);
    }
}

bool TMainForm::DropDownMenuByKey(wchar_t key) {
    if (!IsBarVisible(Bar::MenuBar)) {
        return false;  // hiding the menu bar hides its menus
    }
    for (const MenuBarButton& button : MenuBarButtons) {
        const wchar_t* accessKey = wcschr(button.Caption, L'&');
        if (accessKey != nullptr && towlower(accessKey[1]) == towlower(key)) {
            DropDownMenu(button.Id);
            return true;
        }
    }
    return false;
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

// Commands ----------------------------------------------------------------------

bool TMainForm::IsBlockedWhileBusy(int id) {
    switch (id) {
        case ID_FILE_OPEN:
        case ID_FILE_CLOSE:
        case ID_FILE_EXPORT:
        case ID_FILE_EXTRACT:
        case ID_FILE_EXPORT_PLAYLISTS:
        case ID_VIEW_PLAYLIST:
        case ID_TOOLBUTTON14:
            return true;
        default:
            return id >= ID_SORT_FIRST && id < ID_SORT_FIRST + static_cast<int>(Columns.size());
    }
}

void TMainForm::RunCommand(int id) {
    if (tearingDown_ || (IsBusy() && IsBlockedWhileBusy(id))) {
        return;
    }
    switch (id) {
        case ID_FILE_OPEN:
            ActionFileOpenExecute();
            break;
        case ID_FILE_CLOSE:
            ActionFileCloseExecute();
            break;
        case ID_FILE_EXPORT:
            ActionFileExportExecute();
            break;
        case ID_FILE_EXTRACT:
            ActionFileExtractExecute();
            break;
        case ID_FILE_EXPORT_PLAYLISTS:
            PlaylistExport(*this).Run();
            break;
        case ID_FILE_EXIT:
            ActionFileExitExecute();
            break;
        case ID_EDIT_ALL:
            ActionEditAllExecute();
            break;
        case ID_EDIT_NONE:
            ActionEditNoneExecute();
            break;
        case ID_EDIT_INVERT:
            ActionEditInvertExecute();
            break;
        case ID_EDIT_PREFERENCES:
            ActionEditPreferencesExecute();
            break;
        case ID_VIEW_MENUBAR:
            ActionViewMenuBarExecute();
            break;
        case ID_VIEW_TOOLBAR:
            ActionViewToolbarExecute();
            break;
        case ID_VIEW_STATUSBAR:
            ActionViewStatusBarExecute();
            break;
        case ID_VIEW_PLAYLIST:
            playlists_->Focus();
            break;
        case ID_HELP_ABOUT:
            ActionHelpAboutExecute();
            break;
        case ID_TOOLBUTTON14:
            ToolButton14Click();
            break;
        default:
            RunSortCommand(id);
            break;
    }
}

void TMainForm::TrackListColumnClick(int column) {
    if (!tearingDown_ && !IsBusy()) {
        SortTrackList(column);
    }
}

void TMainForm::ActionFileExportExecute() {
    TrackListExport(*this).Execute();
}

void TMainForm::ActionFileExtractExecute() {
    TrackExtraction(*this).Run();
}

void TMainForm::ActionFileExitExecute() {
    SetStatusText("Cleaning up and exiting");
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TMainForm::ActionEditPreferencesExecute() {
    SettingsForm->Execute();
}

void TMainForm::ActionViewMenuBarExecute() {
    ToggleBar(Bar::MenuBar);
}

void TMainForm::ActionViewToolbarExecute() {
    ToggleBar(Bar::Toolbar);
}

void TMainForm::ActionViewStatusBarExecute() {
    ToggleBar(Bar::StatusBar);
}

void TMainForm::ActionHelpAboutExecute() {
    TAboutForm about;
    about.ShowModal(window_);
}
