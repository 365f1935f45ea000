// Windows-1252 as the ANSI code page, for builds that have no system one.
#include "ansi_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Unicode for the bytes 0x80 to 0x9F. The five bytes that Windows-1252 leaves
// undefined map to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ByteFor(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    const auto found = std::find(kHighControlRange.begin(), kHighControlRange.end(), unit);
    if (found != kHighControlRange.end()) {
        return static_cast<char>(0x80 + (found - kHighControlRange.begin()));
    }
    return '?';
}

}  // namespace

std::string AnsiFromUtf16(std::u16string_view text) {
    // One byte per code unit, as the system converts: each half of a
    // surrogate pair is a character the code page lacks.
    const size_t end = std::min(text.find(u'\0'), text.size());
    std::string result(end, '\0');
    for (size_t i = 0; i < end; ++i) {
        // ASCII, the common case, stays out of the table search.
        result[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : ByteFor(text[i]);
    }
    return result;
}

std::u16string Utf16FromAnsi(std::string_view text) {
    std::u16string result;
    Utf16FromAnsi(text, result);
    return result;
}

void Utf16FromAnsi(std::string_view text, std::u16string& utf16) {
    utf16.clear();
    utf16.reserve(text.size());
    for (const char byte : text) {
        const auto value = static_cast<uint8_t>(byte);
        utf16 += (value >= 0x80 && value < 0xA0) ? kHighControlRange[value - 0x80]
                                                 : static_cast<char16_t>(value);
    }
}
