// The one source of scale: every size in pixels is given at 96 dots per inch
// and scaled to the DPI of the window it belongs to, so that the program is
// sharp on every monitor and, at 96 DPI, exactly as drawn.
#pragma once

#include <windows.h>

#include "win/handles.h"

namespace win {

inline constexpr int StandardDpi = 96;

struct PixelRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

// The DPI of `window`: the system's figure for that window where the system
// has one (Windows 10 from 1607 on), else the DPI of the whole system.
int WindowDpi(HWND window);

// A length in pixels at 96 DPI, in pixels at `dpi`.
int ScalePixels(int pixelsAt96Dpi, int dpi);
// A system metric (GetSystemMetrics) as the system gives it at `dpi`.
int SystemMetric(int index, int dpi);

// The system's font for message boxes and controls, at `dpi`.
UniqueFont CreateMessageFont(int dpi);
// A font of `face` whose characters are `height` pixels high.
UniqueFont CreateFaceFont(const wchar_t* face, BYTE charSet, int height);
// The height in pixels of a font of `points` at `dpi`.
int PointsToPixels(int points, int dpi);

// Moves a child window to `bounds`, given in its parent's client coordinates
// at 96 DPI from `origin` (in pixels). The edges are scaled, not the width, so
// that controls that meet at 96 DPI still meet and never overlap.
void PlaceChild(HWND child, const PixelRect& bounds, int dpi, POINT origin = {0, 0});
// Widens a control whose text is wider than the control, as it may be where
// another font stands in for the one it was laid out for.
void WidenToText(HWND control);
// Sizes a window so that its client area is width x height at 96 DPI, scaled
// to the window's DPI, and centres it over `owner` (or the screen when there
// is none).
void SizeClientAndCentre(HWND window, int width, int height, HWND owner);

}  // namespace win
