// The main window's construction and teardown, its message routing and the
// services it offers the long operations (status texts, progress, the
// message pump). The bars and the track list are built in mainform_bars.cpp,
// the commands run in mainform_commands.cpp and mainform_tracks.cpp.
#include "app/mainform.h"

#include <commctrl.h>
#include <windowsx.h>

#include <stdexcept>

#include "app/command_menus.h"
#include "app/resource_ids.h"
#include "win/message_box.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t WindowClassName[] = L"TMainForm";

// Posted when the user has resized a column of the track list.
constexpr UINT KeepColumnMinimumWidthsMessage = WM_APP + 1;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
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

}  // namespace

std::wstring TMainForm::ReadyText() {
    return std::wstring(win::ApplicationTitle) + L" Ready";
}

// Construction and teardown ---------------------------------------------------

TMainForm::TMainForm() {
    instance_ = this;
    RegisterWindowClass(WindowProcedure);
    // The settings come first: the window is made where it was left, at the
    // size stored, on whichever monitor that is. Made elsewhere and moved
    // there, it would change its scale on the way and store its size anew.
    try {
        SettingsForm = std::make_unique<TPreferencesForm>(nullptr);
    } catch (...) {
        instance_ = nullptr;
        throw;
    }
    const WindowBounds& bounds = SettingsForm->GetWindowBounds();
    CreateWindowExW(0, WindowClassName, win::ApplicationTitle.data(),
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, bounds.Left, bounds.Top, bounds.Width,
                    bounds.Height, nullptr, nullptr, Instance(), this);
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
        SettingsForm->SetOwner(window_);
        OverwriteForm = std::make_unique<TOverwritePromptForm>(window_);
        SetBarVisible(Bar::MenuBar, SettingsForm->GetShowMenuBar());
        SetBarVisible(Bar::Toolbar, SettingsForm->GetShowToolbar());
        SetBarVisible(Bar::StatusBar, SettingsForm->GetShowStatusBar());
        SetBarVisible(Bar::AlbumArt, SettingsForm->GetShowAlbumArt());
        columns_->ShowExtras(ExtraColumnsNamed(SettingsForm->GetExtraColumns()));
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

void TMainForm::RememberExtractPath(const std::u16string& folder) {
    SettingsForm->SetExtractPath(folder);
}

void TMainForm::RememberMusicFolder(const std::u16string& folder) {
    SettingsForm->SetMusicFolder(folder);
}

OverwriteAnswer TMainForm::AskOverwrite(std::u16string_view target) {
    return OverwriteForm->AskOverwrite(target);
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
    // Alt with a menu's access key where the keyboard is in a box of the
    // bands: the system would look for a menu of the box's own.
    if (message.message == WM_SYSCHAR && message.hwnd != window_ &&
        DropDownMenuByKey(static_cast<wchar_t>(message.wParam))) {
        return true;
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
                dpi_ = win::WindowDpi(window_);
                CreateComponents();
            } catch (...) {
                creationError_ = std::current_exception();
                result = -1;
            }
            return true;
        case WM_SIZE:
            FormResize();
            return true;
        case WM_DPICHANGED:
            FormDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return true;
        case WM_COMMAND:
            if (find_ && reinterpret_cast<HWND>(lParam) == FindBox()) {
                if (HIWORD(wParam) == EN_CHANGE && !tearingDown_) {
                    find_->TextChanged();
                }
                return true;
            }
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
                // and those of 40,000 rows take half a second. The focused
                // row goes with them.
                albumArt_->FollowFocus();
                result = TRUE;
                return true;
            }
            if (header.hwndFrom == trackList_ && header.code == LVN_ITEMCHANGED) {
                const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
                if ((change.uChanged & LVIF_STATE) &&
                    ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED)) {
                    albumArt_->FollowFocus();
                }
                return false;
            }
            if (header.hwndFrom == trackList_ && header.code == LVN_KEYDOWN &&
                reinterpret_cast<NMLVKEYDOWN&>(header).wVKey == VK_ESCAPE) {
                RequestStop();
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
        case WM_TIMER:
            if (wParam == FindBand::kPauseTimer) {
                KillTimer(window_, wParam);
                if (!tearingDown_) {
                    find_->PauseEnded();
                }
                return true;
            }
            return false;
        case KeepColumnMinimumWidthsMessage:
            columns_->KeepMinimumWidths();
            return true;
        case WM_SYSCOMMAND:
            // Alt with a menu's access key, as a standard menu bar offers.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam != 0) {
                return DropDownMenuByKey(static_cast<wchar_t>(lParam));
            }
            return false;
        case WM_CONTEXTMENU: {
            // A right click on the list's header reaches here as one on the
            // list itself or on the header, by the system's version.
            HWND header = ListView_GetHeader(trackList_);
            const auto from = reinterpret_cast<HWND>(wParam);
            if (from != trackList_ && from != header) {
                return false;
            }
            RECT headerBounds{};
            GetWindowRect(header, &headerBounds);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (lParam != -1 && PtInRect(&headerBounds, at)) {
                ChooseExtraColumns(lParam);
            } else {
                ShowContextMenu(lParam);
            }
            return true;
        }
        case WM_MEASUREITEM:
            return MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam),
                                    imageList_.get());
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
