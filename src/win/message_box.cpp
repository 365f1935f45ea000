#include "win/message_box.h"

#include <utility>

#include "win/wide_text.h"

namespace win {

namespace {

ScopedMessageBoxHook::Hook& InstalledHook() {
    static ScopedMessageBoxHook::Hook hook;
    return hook;
}

}  // namespace

// Reporting itself may fail (no memory for the text); such a failure must not
// escape into the system code that called a window procedure.
static void ReportSafely(HWND owner, const std::exception* error) noexcept {
    try {
        if (error != nullptr) {
            ShowExceptionBox(owner, *error);
        } else {
            ShowExceptionBox(owner);
        }
    } catch (...) {
        MessageBeep(MB_ICONERROR);
    }
}

int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style) {
    MessageBoxRequest request{owner, std::wstring(text), std::wstring(caption), style};
    if (const auto& hook = InstalledHook()) {
        return hook(request);
    }
    return MessageBoxW(owner, request.Text.c_str(), request.Caption.c_str(), style);
}

int ShowMessageBox(HWND owner, std::wstring_view text, UINT style) {
    return ShowMessageBox(owner, text, ApplicationTitle, style);
}

void ShowExceptionBox(HWND owner, const std::exception& error) {
    ShowMessageBox(owner, WideFromAnsi(error.what()), MB_OK | MB_ICONERROR);
}

void ShowExceptionBox(HWND owner) {
    ShowMessageBox(owner, L"", MB_OK | MB_ICONERROR);
}

bool RunReportingExceptions(HWND owner, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        ReportSafely(owner, &error);
    } catch (...) {
        ReportSafely(owner, nullptr);
    }
    return false;
}

ScopedMessageBoxHook::ScopedMessageBoxHook(Hook hook)
    : previous_(std::exchange(InstalledHook(), std::move(hook))) {}

ScopedMessageBoxHook::~ScopedMessageBoxHook() {
    InstalledHook() = std::move(previous_);
}

}  // namespace win
