// Copies of the player's files. A player reached through a drive letter
// holds this machine's own files, copied by the system; one read from a disk
// image or a physical disk is copied here, block by block. A block that
// cannot be read (a bad sector) fails that one copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/player_files.h"

using CopyProgress = std::function<void(int64_t done, int64_t total)>;

// Appends the bytes of `file` from `offset` on to `output`, block by block,
// telling `progress` (if any) the bytes done of the whole file and its size
// now and then: ERROR_SUCCESS, ERROR_READ_FAULT where a block cannot be
// read (a bad sector), or the system's reason.
DWORD AppendPlayerFile(PlayerFile& file, uint64_t offset, HANDLE output,
                       const CopyProgress& progress);

// Copies the player's file at `source` to `target` (made anew or replaced),
// telling `progress` now and then how far it is; the copy keeps the time of
// a file of this machine. ERROR_SUCCESS, or the system's reason.
DWORD CopyPlayerFile(PlayerFiles& files, const std::string& source, const std::wstring& target,
                     const CopyProgress& progress = {});

// Whether the player has a file at `source`.
bool PlayerFileExists(PlayerFiles& files, const std::string& source);

// When the player's file was last written, where that is known.
std::optional<FILETIME> PlayerFileTime(PlayerFiles& files, const std::string& source);
