#include "win/wide_text.h"

#include "core/ansi_text.h"

namespace win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

std::wstring WideFromUtf16(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::u16string Utf16FromWide(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring WideFromAnsi(std::string_view text) {
    return WideFromUtf16(Utf16FromAnsi(text));
}

std::string AnsiFromWide(std::wstring_view text) {
    return AnsiFromUtf16(Utf16FromWide(text));
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace win
