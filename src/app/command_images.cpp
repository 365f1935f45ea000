#include "app/command_images.h"

#include <windows.h>

#include <iterator>
#include <stdexcept>

#include "app/resource_ids.h"
#include "win/pixel_layout.h"

namespace {

constexpr std::string_view ImageNames[] = {
#include "app/command_image_names.inc"
};

struct ImageStrip {
    int Size;  // in pixels, square
    int ResourceId;
};
// Smallest first.
constexpr ImageStrip Strips[] = {
    {16, IDB_COMMAND_IMAGES_16},
    {20, IDB_COMMAND_IMAGES_20},
    {24, IDB_COMMAND_IMAGES_24},
    {32, IDB_COMMAND_IMAGES_32},
};

const ImageStrip& StripFor(int dpi) {
    // Never larger than the images' size at that scale, unrounded: at 117 DPI
    // 16 pixels grow to 19.5, which the 20-pixel images would exceed.
    const int wanted = Strips[0].Size * dpi / win::StandardDpi;
    const ImageStrip* chosen = &Strips[0];
    for (const ImageStrip& strip : Strips) {
        if (strip.Size <= wanted) {
            chosen = &strip;
        }
    }
    return *chosen;
}

}  // namespace

int CommandImageIndex(std::string_view name) {
    for (size_t index = 0; index < std::size(ImageNames) && !name.empty(); ++index) {
        if (ImageNames[index] == name) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

win::UniqueImageList LoadCommandImages(int dpi) {
    const ImageStrip& strip = StripFor(dpi);
    win::UniqueImageList images(ImageList_Create(strip.Size, strip.Size, ILC_COLOR24 | ILC_MASK,
                                                 static_cast<int>(std::size(ImageNames)), 0));
    const win::UniqueBitmap pictures(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(strip.ResourceId), IMAGE_BITMAP, 0,
                   0, LR_CREATEDIBSECTION)));
    if (!images || !pictures ||
        ImageList_AddMasked(images.get(), pictures.get(), RGB(255, 0, 255)) < 0) {
        throw std::runtime_error("Cannot load the main window's resources.");
    }
    return images;
}
