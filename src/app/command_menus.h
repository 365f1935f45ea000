// The menus and the shortcuts made from the command table: every entry shows
// its command's caption, shortcut and picture. Pictures are drawn by the
// menu's owner window from the command image list (HBMMENU_CALLBACK), so
// they keep the menu's own background in every state.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <span>

#include "app/commands.h"
#include "win/handles.h"

// The main menu: a bar of submenus, each command under its MainMenu place.
win::UniqueMenu BuildMainMenu(std::span<const Command> commands,
                              std::span<const SubmenuImage> submenuImages);
// The track list's context menu, each command at its ContextMenu place: one
// submenu of an otherwise empty menu, as TrackPopupMenu shows it.
win::UniqueMenu BuildContextMenu(std::span<const Command> commands);

// The owner window's part: size and draw the image of a menu entry. Both
// return false for anything that is not a menu image.
bool MeasureMenuImage(MEASUREITEMSTRUCT& item, HIMAGELIST images);
bool DrawMenuImage(const DRAWITEMSTRUCT& item, HIMAGELIST images);

// An accelerator table holding the shortcut of every command that has one.
win::UniqueAccelerators CreateShortcutTable(std::span<const Command> commands);
