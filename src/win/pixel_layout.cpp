#include "win/pixel_layout.h"

namespace win {

int ScalePixels(int pixelsAt96Dpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixelsAt96Dpi, dpi, 96);
}

void PlaceChild(HWND child, const PixelRect& bounds) {
    MoveWindow(child, ScalePixels(bounds.Left), ScalePixels(bounds.Top), ScalePixels(bounds.Width),
               ScalePixels(bounds.Height), FALSE);
}

void SizeClientAndCentre(HWND window, int width, int height, HWND owner) {
    RECT frame{0, 0, ScalePixels(width), ScalePixels(height)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    RECT area{};
    if (owner != nullptr) {
        GetWindowRect(owner, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int left = area.left + (area.right - area.left - frameWidth) / 2;
    const int top = area.top + (area.bottom - area.top - frameHeight) / 2;
    SetWindowPos(window, nullptr, left, top, frameWidth, frameHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win
