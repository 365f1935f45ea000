// Binds menu entries to the command table: every entry whose identifier is a
// command shows that command's caption, shortcut and image. Images are drawn
// by the menu's owner window from the command image list (HBMMENU_CALLBACK),
// so they keep the menu's own background in every state.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/command_images.h"
#include "win/handles.h"

// Applies the command table to every entry of `menu` and its submenus.
void BindActionsToMenu(HMENU menu);
// Gives the entry at `position` of `menu` (for example a submenu header) the
// command image `image`.
void SetMenuEntryImage(HMENU menu, UINT position, CommandImage image);

// The owner window's part: size and draw the image of a menu entry. Both
// return false for anything that is not a menu image.
bool MeasureMenuImage(MEASUREITEMSTRUCT& item, HIMAGELIST images);
bool DrawMenuImage(const DRAWITEMSTRUCT& item, HIMAGELIST images);

// An accelerator table holding the shortcut of every command that has one.
win::UniqueAccelerators CreateShortcutTable();
