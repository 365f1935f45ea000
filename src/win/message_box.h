// Every message box of the program goes through ShowMessageBox, so that all
// of them carry the application title and a test can see and answer them.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace win {

// The application title: the caption of every message box.
inline constexpr std::wstring_view ApplicationTitle = L"Trackhaul";

struct MessageBoxRequest {
    HWND Owner;
    std::wstring Text;
    std::wstring Caption;
    UINT Style;
};

// Shows a modal message box and returns the button pressed (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style);
// The same with the application title as caption.
int ShowMessageBox(HWND owner, std::wstring_view text, UINT style);

// The standard exception box: the exception's message, the error icon, the
// application title. For anything thrown that is not a std::exception, call
// it with no exception: the box then shows an empty message.
void ShowExceptionBox(HWND owner, const std::exception& error);
void ShowExceptionBox(HWND owner);

// Runs `action` and shows whatever it throws in the standard exception box;
// nothing escapes. Returns false when something was thrown.
bool RunReportingExceptions(HWND owner, const std::function<void()>& action);

// While an object of this class lives, message boxes are not shown: the hook
// receives each request and its result is the button "pressed".
class ScopedMessageBoxHook {
public:
    using Hook = std::function<int(const MessageBoxRequest&)>;
    explicit ScopedMessageBoxHook(Hook hook);
    ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
    ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;
    ~ScopedMessageBoxHook();

private:
    Hook previous_;
};

}  // namespace win
