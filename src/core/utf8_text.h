// UTF-8, the text of the files other programs read (playlists, the library
// file) and of the command line on Linux.
#pragma once

#include <string>
#include <string_view>

// UTF-8 of UTF-16 text; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);
// The same, appended to `bytes`.
void AppendUtf8(std::string& bytes, std::u16string_view text);

// Replaces each surrogate without its partner by U+FFFD, as UTF-8 has it.
void ReplaceUnpairedSurrogates(std::u16string& text);

// UTF-16 of UTF-8 text; a byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);
