// File > Open Disk Image: a player read from a disk image, the copy of a
// player's whole disk (made from a dying drive, or of a Mac-formatted
// player that Windows cannot open). The image is only ever read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/opened_player.h"

// Asks for the image, then opens it; nothing when the user cancelled or the
// image holds no player (the user was told why).
std::optional<OpenedPlayer> ChooseDiskImage(HWND owner);

// Opens the image at `path`: its player's volume, named by the image's file
// name; nothing, after a box that says why, when it holds none.
std::optional<OpenedPlayer> OpenDiskImage(HWND owner, const std::wstring& path);
