// The pictures of the commands, shown on the toolbar and in the menus, in
// one image list whose size suits the display's DPI.
#pragma once

#include "win/handles.h"

// The command images at the size for `dpi`, indexed as the command table's
// images are: 16 pixels at 96 DPI, grown with the DPI to the nearest size
// drawn that is not larger.
win::UniqueImageList LoadCommandImages(int dpi);
