// Conversion between UTF-16 text and narrow text in the system's ANSI code
// page. On Windows this is the system's own conversion (CP_ACP); elsewhere the
// code page is Windows-1252. Characters the code page lacks become '?'.
#pragma once

#include <string>
#include <string_view>

// Converts up to the first NUL code unit; the result holds no NUL.
std::string AnsiFromUtf16(std::u16string_view text);

// Converts every byte, NULs included.
std::u16string Utf16FromAnsi(std::string_view text);
// The same into `utf16`, whose buffer is reused.
void Utf16FromAnsi(std::string_view text, std::u16string& utf16);
