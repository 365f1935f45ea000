// The system's ANSI code page, through the system's own conversion.
#include "core/ansi_text.h"

#include <windows.h>

#include <algorithm>

std::string AnsiFromUtf16(std::u16string_view text) {
    const size_t end = std::min(text.find(u'\0'), text.size());
    if (end == 0) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(end);
    // No best-fit mapping: a character the code page lacks becomes '?', it
    // does not turn into a look-alike.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, wideLength, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, flags, wide, wideLength, result.data(), size, nullptr, nullptr);
    }
    return result;
}

std::u16string Utf16FromAnsi(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string result(static_cast<size_t>(std::max(size, 0)), u'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(result.data()),
                            size);
    }
    return result;
}
