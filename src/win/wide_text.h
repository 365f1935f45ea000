// Text as the Windows API wants it. The program keeps UTF-16 text as
// std::u16string and the API takes wchar_t, which on Windows is the same
// 16-bit unit, so the conversions only reinterpret. Narrow text is in the
// system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

std::wstring WideFromUtf16(std::u16string_view text);
std::u16string Utf16FromWide(std::wstring_view text);
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

// The whole text of a window (title, label or edit contents).
std::wstring WindowText(HWND window);

}  // namespace win
