// The system's ANSI code page, through the system's own conversion.
#include "core/ansi_text.h"

#include <windows.h>

#include <algorithm>

namespace {

size_t MaxBytesPerCharacter() {
    static const size_t maxBytes = [] {
        CPINFO info{};
        return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1 ? size_t{1} : size_t{2};
    }();
    return maxBytes;
}

}  // namespace

std::string AnsiFromUtf16(std::u16string_view text) {
    const size_t end = std::min(text.find(u'\0'), text.size());
    if (end == 0) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(end);
    // One call into the system: the result is sized for the code page's
    // widest character (one byte in single-byte code pages, two at most).
    // No best-fit mapping: a character the code page lacks becomes '?', it
    // does not turn into a look-alike.
    std::string result(end * MaxBytesPerCharacter(), '\0');
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, result.data(),
                            static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(static_cast<size_t>(std::max(size, 0)));
    return result;
}

std::u16string Utf16FromAnsi(std::string_view text) {
    std::u16string result;
    Utf16FromAnsi(text, result);
    return result;
}

void Utf16FromAnsi(std::string_view text, std::u16string& utf16) {
    utf16.clear();
    if (text.empty()) {
        return;
    }
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size > 0) {
        utf16.resize(static_cast<size_t>(size));
        MultiByteToWideChar(CP_ACP, 0, text.data(), length,
                            reinterpret_cast<wchar_t*>(utf16.data()), size);
    }
}
