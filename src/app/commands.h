// The main window's commands, one row each in one table (in
// mainform_commands.cpp): what its menu entries and toolbar button show,
// the key that runs it, where it appears, and what it does. The menus, the
// context menu, the shortcuts and the toolbar are made from the table when
// the window is built.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

class TMainForm;

// The commands' identifiers.
enum CommandId : int {
    ID_FILE_OPEN = 1001,
    ID_FILE_CLOSE = 1002,
    ID_FILE_EXPORT = 1003,
    ID_FILE_EXTRACT = 1004,
    ID_FILE_EXIT = 1005,
    ID_FILE_EXPORT_PLAYLISTS = 1006,
    ID_FILE_EXPORT_LIBRARY = 1007,
    ID_FILE_EXTRACT_PHOTOS = 1008,
    ID_FILE_EXPORT_HISTORY = 1009,
    ID_EDIT_ALL = 1010,
    ID_EDIT_NONE = 1011,
    ID_EDIT_INVERT = 1012,
    ID_EDIT_PREFERENCES = 1013,
    ID_FILE_OPEN_IMAGE = 1014,
    ID_VIEW_MENUBAR = 1020,
    ID_VIEW_TOOLBAR = 1021,
    ID_VIEW_STATUSBAR = 1022,
    ID_VIEW_PLAYLIST = 1023,  // the keyboard focus to the playlist list
    ID_VIEW_FIND = 1024,      // the keyboard focus to the find box
    ID_VIEW_ALBUMART = 1025,
    // The sort commands are ID_SORT_FIRST plus their column's index.
    ID_SORT_FIRST = 1030,
    ID_SORT_TRACKNUMBER = 1030,
    ID_SORT_TITLE = 1031,
    ID_SORT_ARTIST = 1032,
    ID_SORT_ALBUM = 1033,
    ID_SORT_LENGTH = 1034,
    ID_SORT_TRACKTYPE = 1035,
    ID_SORT_ENCODING = 1036,
    ID_SORT_BITRATE = 1037,
    ID_SORT_SAMPLERATE = 1038,
    ID_HELP_ABOUT = 1040,
    ID_TOOLBUTTON14 = 1050,  // the blank last toolbar button: the test load
};

// Where a command's entry stands in one menu: the submenu ("&File",
// "&View|&Sort List By"; "" is the context menu itself) and its place, by
// which the entries are ordered; a separator stands between places of
// different hundreds. Place 0: not in that menu.
struct MenuPlace {
    std::wstring_view Menu;
    int Place = 0;
};

struct Command {
    int Id;
    std::wstring_view Caption;       // menu text with its access key
    std::wstring_view ShortcutText;  // shown after a tab on menu entries; empty for none
    BYTE ShortcutFlags;              // ACCEL flags; 0 for no shortcut
    WORD ShortcutKey;                // virtual key
    std::string_view Image;          // its picture's name (make_images.py); empty for none
    MenuPlace MainMenu;
    MenuPlace ContextMenu;
    int ToolbarPlace;                // ordered as the menus' places; 0: no button
    bool WaitsWhileBusy;             // not run while an operation runs
    void (*Run)(TMainForm& window);  // none: a sort command, by its column
};

// A submenu's own picture, on its entry in the menu above it.
struct SubmenuImage {
    std::wstring_view Menu;
    std::string_view Image;
};
