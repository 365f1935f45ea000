// Writing files that the program makes itself (exports, playlists).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace win {

// Opened for writing as "wb" opens: created if missing, emptied if present;
// null when it cannot be.
UniqueFile CreateForWriting(const std::wstring& fileName, DWORD shareMode = 0);

// Writes all of `bytes`; false when not all of them could be written.
bool WriteBytes(HANDLE file, std::string_view bytes);

// Clears a file's read-only attribute, keeping its other attributes; the
// system's error, or ERROR_SUCCESS.
DWORD ClearReadOnly(const std::wstring& fileName);

// A file that is there, opened for writing and shared with nobody; null,
// with the system's error, when it cannot be.
UniqueFile OpenForWriting(const std::wstring& fileName);

// The time of a file's last change, or nothing when it cannot be read.
std::optional<FILETIME> LastWriteTime(const std::wstring& fileName);

// Has the system write what it still holds of a file to the disk, so that
// a power cut after this cannot take its contents, and gives the file the
// time of its last change `lastWrite`, if given; the system's error, or
// ERROR_SUCCESS.
DWORD FlushToDisk(const std::wstring& fileName, const std::optional<FILETIME>& lastWrite = {});

// Writes a whole file with `write` under the name `temporary`, has it
// written to the disk and renames it to `target`, replacing a file there
// when `replace`: the target's name only ever holds a whole file. The
// temporary file is removed when anything fails. The system's error, or
// ERROR_SUCCESS.
DWORD WriteThroughTemporary(const std::wstring& temporary, const std::wstring& target, bool replace,
                            const std::function<bool(HANDLE file)>& write);

}  // namespace win
