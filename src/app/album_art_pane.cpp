#include "app/album_art_pane.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/artwork_db.h"
#include "win/pixel_layout.h"

namespace {

constexpr wchar_t kClassName[] = L"TrackhaulAlbumArt";
constexpr wchar_t kNoAlbumArt[] = L"No Album Art";
constexpr UINT_PTR kFocusTimer = 1;
// How long the focus rests before its picture is read: shorter than a key's
// repeat, so that the pane follows a held key, yet the key waits for no read.
constexpr UINT kRestMilliseconds = 40;
constexpr int kMargin = 8;

void RegisterPaneClass(WNDPROC procedure) {
    WNDCLASSEXW paneClass{};
    paneClass.cbSize = sizeof(paneClass);
    paneClass.style = CS_HREDRAW | CS_VREDRAW;
    paneClass.lpfnWndProc = procedure;
    paneClass.hInstance = GetModuleHandleW(nullptr);
    paneClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    paneClass.lpszClassName = kClassName;
    if (RegisterClassExW(&paneClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("Cannot register the album art pane.");
    }
}

// A 32-bit top-down bitmap of the picture, whose 0xRRGGBB pixels are what
// such a bitmap holds.
win::UniqueBitmap BitmapOf(const Picture& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits != nullptr) {
        std::memcpy(bits, picture.Pixels.data(), picture.Pixels.size() * sizeof(uint32_t));
    }
    return bitmap;
}

}  // namespace

AlbumArtPane::AlbumArtPane(HWND parent, FocusedPicture focused) : focused_(std::move(focused)) {
    RegisterPaneClass(WindowProcedure);
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, kNoAlbumArt, WS_CHILD | WS_CLIPSIBLINGS,
                              0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        throw std::runtime_error("Cannot create the album art pane.");
    }
}

void AlbumArtPane::FollowFocus() {
    if (!waiting_ && IsWindowVisible(window_)) {
        waiting_ = SetTimer(window_, kFocusTimer, kRestMilliseconds, nullptr) != 0;
    }
}

void AlbumArtPane::Forget() {
    shown_ = {};
    DropPicture();
    InvalidateRect(window_, nullptr, TRUE);
}

void AlbumArtPane::DropPicture() {
    picture_.reset();
    scaled_.reset();
    SetWindowTextW(window_, kNoAlbumArt);
}

void AlbumArtPane::ShowFocusedPicture() {
    // Keys and clicks that wait go first; the picture follows once they
    // are done.
    if (GetQueueStatus(QS_KEY | QS_MOUSEBUTTON) != 0) {
        return;
    }
    KillTimer(window_, kFocusTimer);
    waiting_ = false;
    const Source focused = focused_();
    if (focused == shown_) {
        return;
    }
    Forget();
    shown_ = focused;
    if (focused.Index != nullptr && focused.Number >= 0) {
        picture_ = focused.Index->Load(focused.Number);
    }
    SetWindowTextW(window_, picture_ ? L"Album Art" : kNoAlbumArt);
}

HBITMAP AlbumArtPane::ScaledBitmap(int width, int height) {
    if (!scaled_ || scaledFor_.cx != width || scaledFor_.cy != height) {
        scaled_.reset();
        const PictureSize size = FittedSize(picture_->Width, picture_->Height, width, height);
        scaled_ = BitmapOf(ScalePicture(*picture_, size.Width, size.Height));
        scaledSize_ = {size.Width, size.Height};
        scaledFor_ = {width, height};
    }
    return scaled_.get();
}

void AlbumArtPane::Paint() {
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(context, &client, GetSysColorBrush(COLOR_WINDOW));
    const int margin = win::ScalePixels(kMargin, win::WindowDpi(window_));
    const int width = client.right - 2 * margin;
    const int height = client.bottom - 2 * margin;
    HBITMAP bitmap = nullptr;
    if (picture_ && width > 0 && height > 0) {
        try {
            bitmap = ScaledBitmap(width, height);
        } catch (const std::exception&) {
            // No room for it: the pane goes on without it until the focus
            // moves.
            DropPicture();
        }
    }
    if (bitmap != nullptr) {
        HDC source = CreateCompatibleDC(context);
        HGDIOBJ previous = SelectObject(source, bitmap);
        BitBlt(context, margin, margin, scaledSize_.cx, scaledSize_.cy, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    } else {
        DrawNoAlbumArt(context, client, margin);
    }
    EndPaint(window_, &paint);
}

void AlbumArtPane::DrawNoAlbumArt(HDC context, const RECT& client, int margin) {
    const int dpi = win::WindowDpi(window_);
    if (!font_ || fontDpi_ != dpi) {
        font_ = win::CreateMessageFont(dpi);
        fontDpi_ = dpi;
    }
    RECT text{margin, margin, client.right - margin, client.bottom - margin};
    HGDIOBJ previous =
        SelectObject(context, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(context, kNoAlbumArt, -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(context, previous);
}

LRESULT CALLBACK AlbumArtPane::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* pane = reinterpret_cast<AlbumArtPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (pane != nullptr) {
        switch (message) {
            case WM_TIMER:
                if (wParam == kFocusTimer) {
                    try {
                        pane->ShowFocusedPicture();
                    } catch (const std::exception&) {
                        // A picture that cannot be read shows as none.
                        pane->DropPicture();
                        InvalidateRect(window, nullptr, TRUE);
                    }
                    return 0;
                }
                break;
            case WM_PAINT:
                pane->Paint();
                return 0;
            case WM_ERASEBKGND:
                return 1;  // painted whole by WM_PAINT
            case WM_NCDESTROY:
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                pane->window_ = nullptr;
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
