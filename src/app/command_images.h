// The pictures of the commands, shown on the toolbar and in the menus, in
// one image list whose size suits the display's DPI.
#pragma once

#include "win/handles.h"

// The command images by name, in the order resources/make_images.py draws
// them into the strips; their number follows from the last.
enum class CommandImage : int {
    None = -1,
    Exit,  // also the selection commands'
    About,
    Close,
    Export,
    Extract,
    Open,
    Preferences,
    SortMenu,  // the sort submenu's
};
inline constexpr int kCommandImageCount = static_cast<int>(CommandImage::SortMenu) + 1;

// The command images at the size for `dpi`, indexed as the command table's
// images are: 16 pixels at 96 DPI, grown with the DPI to the nearest size
// drawn that is not larger.
win::UniqueImageList LoadCommandImages(int dpi);
