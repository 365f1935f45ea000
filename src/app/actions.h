// The main window's command table: what every command shows on its menu
// entries and toolbar button, and the key that runs it.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "app/command_images.h"

struct Action {
    int Id;                          // command identifier (resource_ids.h)
    std::wstring_view Caption;       // menu text with its access key
    std::wstring_view ShortcutText;  // shown after a tab on menu entries; empty for none
    BYTE ShortcutFlags;              // ACCEL flags; 0 for no shortcut
    WORD ShortcutKey;                // virtual key
    CommandImage Image;              // on its menu entries and toolbar button
};

std::span<const Action> Actions();
// The action with command identifier `id`, or nullptr.
const Action* FindAction(int id);
