#include "app_test_support.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "win/wide_text.h"

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Marrowfen\\Trackhaul";

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SettingsPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}

LRESULT CALLBACK RunnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        std::unique_ptr<std::function<void()>> action(
            reinterpret_cast<std::function<void()>*>(lParam));
        DestroyWindow(window);
        (*action)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

struct WindowSearch {
    const std::function<bool(HWND)>* Matches;
    HWND Found;
};

BOOL CALLBACK FindVisibleMatch(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    if (IsWindowVisible(window) && (*search.Matches)(window)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void SettingsKey::Delete() {
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsPath);
}

void SettingsKey::Write(const std::wstring& name, const std::wstring& value) {
    HKEY key = OpenSettingsKey();
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void SettingsKey::WriteDword(const std::wstring& name, DWORD value) {
    HKEY key = OpenSettingsKey();
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    RegCloseKey(key);
}

std::optional<std::wstring> SettingsKey::Read(const std::wstring& name) {
    HKEY key = OpenSettingsKey();
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::wstring> value;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &size);
        text.resize(wcslen(text.c_str()));
        value = text;
    }
    RegCloseKey(key);
    return value;
}

MessageBoxRecorder::MessageBoxRecorder(std::vector<int> answers)
    : answers_(std::move(answers)), hook_([this](const win::MessageBoxRequest& request) {
          requests_.push_back(request);
          return answers_[std::min(requests_.size(), answers_.size()) - 1];
      }) {}

void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void DiscardQuitRequest() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void RunInNextMessageLoop(std::function<void()> action) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RunnerProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TrackhaulTestRunner";
    RegisterClassW(&windowClass);  // fails harmlessly once registered
    HWND runner = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    auto* owned = new std::function<void()>(std::move(action));
    PostMessageW(runner, WM_APP, 0, reinterpret_cast<LPARAM>(owned));
}

WhenWindowShows::WhenWindowShows(std::wstring caption, std::function<void(HWND)> action,
                                 Repeat repeat, std::wstring className)
    : WhenWindowShows(
          [caption = std::move(caption), className = std::move(className)](HWND window) {
              return win::WindowText(window) == caption &&
                     (className.empty() || WindowClass(window) == className);
          },
          std::move(action), repeat) {}

WhenWindowShows::WhenWindowShows(std::function<bool(HWND)> matches,
                                 std::function<void(HWND)> action, Repeat repeat)
    : matches_(std::move(matches)), action_(std::move(action)), repeat_(repeat) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TrackhaulTestWatcher";
    RegisterClassW(&windowClass);  // fails harmlessly once registered
    watcher_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(watcher_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // A timer, not a posted message: a loop that lets messages through
    // before the window exists would otherwise take every retry at once.
    SetTimer(watcher_, 1, USER_TIMER_MINIMUM, nullptr);
}

WhenWindowShows::~WhenWindowShows() {
    if (watcher_ != nullptr) {
        DestroyWindow(watcher_);
    }
}

LRESULT CALLBACK WhenWindowShows::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = reinterpret_cast<WhenWindowShows*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && self != nullptr) {
        self->Check();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void WhenWindowShows::Check() {
    WindowSearch search{&matches_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleMatch, reinterpret_cast<LPARAM>(&search));
    if (search.Found == nullptr) {
        return;
    }
    if (repeat_ == Repeat::Once) {
        DestroyWindow(watcher_);
        watcher_ = nullptr;
    }
    ++shown_;
    action_(search.Found);
}

SaveDialogAnswer::SaveDialogAnswer(const std::wstring& caption, std::wstring fileName)
    : fileName_(std::move(fileName)), dialog_(caption, [this](HWND dialog) { Answer(dialog); }) {}

void SaveDialogAnswer::Answer(HWND dialog) {
    const auto dialogText = [dialog](UINT message) {
        std::wstring text(32768, L'\0');
        SendMessageW(dialog, message, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(wcslen(text.c_str()));
        return text;
    };
    seen_.Folder = dialogText(CDM_GETFOLDERPATH);
    seen_.FileName = dialogText(CDM_GETSPEC);
    seen_.FileType = win::WindowText(GetDlgItem(dialog, cmb1));
    answeredAt_ = std::chrono::steady_clock::now();
    if (fileName_.empty()) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    // The question whether to replace a file comes in a box the dialog owns.
    confirmation_.emplace(
        [dialog](HWND box) { return GetWindow(box, GW_OWNER) == dialog; },
        [](HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0); });
    SetDlgItemTextW(dialog, cmb13, fileName_.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void PressButton(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring MenuText(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &info);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring StatusText(HWND statusBar, int panel) {
    const auto length = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, panel, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(statusBar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}
