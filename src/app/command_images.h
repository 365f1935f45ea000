// The pictures of the commands, shown on the toolbar and in the menus, in
// one image list whose size suits the display's DPI. resources/make_images.py
// draws them, by name, into one strip for each size.
#pragma once

#include <string_view>

#include "win/handles.h"

// The place of the picture of that name in the image list; -1 for none (an
// empty name) or a name that no picture has.
int CommandImageIndex(std::string_view name);

// The command images at the size for `dpi`: 16 pixels at 96 DPI, grown with
// the DPI to the nearest size drawn that is not larger.
win::UniqueImageList LoadCommandImages(int dpi);
