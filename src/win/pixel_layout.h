// Placing windows by sizes given in pixels at 96 dots per inch, scaled to
// the screen's actual resolution.
#pragma once

#include <windows.h>

namespace win {

struct PixelRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

// A length in pixels at 96 dpi, in pixels of the screen.
int ScalePixels(int pixelsAt96Dpi);

// Moves a child window to `bounds`, given in its parent's client coordinates.
void PlaceChild(HWND child, const PixelRect& bounds);
// Sizes a window so that its client area is width x height and centres it
// over `owner` (or the screen when there is none).
void SizeClientAndCentre(HWND window, int width, int height, HWND owner);

}  // namespace win
