// Writing files that the program makes itself (exports, playlists).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "win/handles.h"

namespace win {

// Opened for writing as "wb" opens: created if missing, emptied if present;
// null when it cannot be.
UniqueFile CreateForWriting(const std::wstring& fileName, DWORD shareMode = 0);

// Writes all of `bytes`; false when not all of them could be written.
bool WriteBytes(HANDLE file, std::string_view bytes);

}  // namespace win
