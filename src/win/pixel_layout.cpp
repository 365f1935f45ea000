#include "win/pixel_layout.h"

#include "win/wide_text.h"

namespace win {

namespace {

// The per-DPI functions of newer systems, looked up when first needed so that
// the program still starts where they are missing; null there.
struct DpiFunctions {
    UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* SystemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
    BOOL(WINAPI* AdjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
};

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) {
    // Through the one function type that converts to any other.
    function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        HMODULE user = GetModuleHandleW(L"user32.dll");
        Find(user, "GetDpiForWindow", found.GetDpiForWindow);
        Find(user, "GetSystemMetricsForDpi", found.GetSystemMetricsForDpi);
        Find(user, "SystemParametersInfoForDpi", found.SystemParametersInfoForDpi);
        Find(user, "AdjustWindowRectExForDpi", found.AdjustWindowRectExForDpi);
        return found;
    }();
    return functions;
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

int WindowDpi(HWND window) {
    if (Functions().GetDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = Functions().GetDpiForWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int ScalePixels(int pixelsAt96Dpi, int dpi) {
    return MulDiv(pixelsAt96Dpi, dpi, StandardDpi);
}

int SystemMetric(int index, int dpi) {
    if (Functions().GetSystemMetricsForDpi != nullptr) {
        return Functions().GetSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

UniqueFont CreateMessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (Functions().SystemParametersInfoForDpi != nullptr) {
        Functions().SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                                               0, static_cast<UINT>(dpi));
    } else {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueFont CreateFaceFont(const wchar_t* face, BYTE charSet, int height) {
    return UniqueFont(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charSet,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face));
}

int PointsToPixels(int points, int dpi) {
    return MulDiv(points, dpi, 72);
}

void PlaceChild(HWND child, const PixelRect& bounds, int dpi, POINT origin) {
    RECT place{ScalePixels(bounds.Left, dpi), ScalePixels(bounds.Top, dpi),
               ScalePixels(bounds.Left + bounds.Width, dpi),
               ScalePixels(bounds.Top + bounds.Height, dpi)};
    OffsetRect(&place, origin.x, origin.y);
    MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top,
               FALSE);
}

void WidenToText(HWND control) {
    const std::wstring text = WindowText(control);
    HDC context = GetDC(control);
    HGDIOBJ previous =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT extent{};
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(context, previous);
    ReleaseDC(control, context);
    RECT bounds{};
    GetClientRect(control, &bounds);
    if (extent.right > bounds.right) {
        GetWindowRect(control, &bounds);
        SetWindowPos(control, nullptr, 0, 0, extent.right, bounds.bottom - bounds.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SizeClientAndCentre(HWND window, int width, int height, HWND owner) {
    const int dpi = WindowDpi(window);
    RECT frame{0, 0, ScalePixels(width, dpi), ScalePixels(height, dpi)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto extendedStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    if (Functions().AdjustWindowRectExForDpi != nullptr) {
        Functions().AdjustWindowRectExForDpi(&frame, style, FALSE, extendedStyle,
                                             static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    }
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
