// Capitals of file names by FileNameCapital's table and, for the letters it
// leaves as they are, by the system's own.
#include <windows.h>

#include "core/file_name_case.h"

std::u16string FileNameCapitals(std::u16string_view name) {
    std::u16string capitals(name);
    for (char16_t& unit : capitals) {
        const char16_t capital = FileNameCapital(unit);
        if (capital != unit || unit < 0x80) {
            unit = capital;
        } else {
            wchar_t wide = static_cast<wchar_t>(unit);
            CharUpperBuffW(&wide, 1);
            unit = static_cast<char16_t>(wide);
        }
    }
    return capitals;
}
