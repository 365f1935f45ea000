#include "photo_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct PhotoFormat {
    uint32_t FormatId;
    int32_t Width;
    int32_t Height;
    PhotoPixels Pixels;
};

constexpr int32_t kTvWidth = 720;
constexpr int32_t kTvHeight = 480;

// The formats of the players that keep photos, by format id.
constexpr PhotoFormat KnownFormats[] = {
    {1009, 42, 30, PhotoPixels::Rgb565Little},
    {1015, 130, 88, PhotoPixels::Rgb565Little},
    {1036, 50, 41, PhotoPixels::Rgb565Little},
    {1024, 320, 240, PhotoPixels::Rgb565Little},
    {1032, 42, 37, PhotoPixels::Rgb565Little},
    {1066, 64, 64, PhotoPixels::Rgb565Little},
    {1079, 80, 80, PhotoPixels::Rgb565Little},
    {1083, 240, 320, PhotoPixels::Rgb565Little},
    {1087, 384, 384, PhotoPixels::Rgb565Little},
    {1023, 176, 132, PhotoPixels::Rgb565Big},
    {1019, kTvWidth, kTvHeight, PhotoPixels::UyvyInterlaced},
    {1067, kTvWidth, kTvHeight, PhotoPixels::I420},
};
// Stored turned by 90 degrees, and never the largest: not used.
constexpr uint32_t kTurnedFormat = 1013;

// The bytes a frame's pixels take.
int64_t PixelBytes(PhotoPixels pixels, int32_t width, int32_t height) {
    const int64_t area = int64_t{width} * height;
    return pixels == PhotoPixels::I420 ? area * 3 / 2 : area * 2;
}

uint8_t Widen(uint32_t value, int bits) {
    return static_cast<uint8_t>(value << (8 - bits) | value >> (2 * bits - 8));
}

uint32_t Rgb565(uint32_t value) {
    return uint32_t{Widen(value >> 11, 5)} << 16 | uint32_t{Widen((value >> 5) & 0x3F, 6)} << 8 |
           Widen(value & 0x1F, 5);
}

uint32_t Channel(double value) {
    return static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}

uint32_t Rgb(int y, int u, int v) {
    const double luma = 1.164 * (y - 16);
    return Channel(luma + 1.596 * (v - 128)) << 16 |
           Channel(luma - 0.813 * (v - 128) - 0.391 * (u - 128)) << 8 |
           Channel(luma + 2.018 * (u - 128));
}

// The Y, U and V of a pixel of a whole frame.
struct Yuv {
    int Y, U, V;
};

Yuv UyvyAt(const uint8_t* frame, int32_t x, int32_t y) {
    // The first half of the frame holds the even lines, the second the odd.
    const int32_t storedRow = y % 2 == 0 ? y / 2 : kTvHeight / 2 + y / 2;
    const uint8_t* pair = frame + (int64_t{storedRow} * kTvWidth + (x & ~1)) * 2;
    return {pair[x % 2 == 0 ? 1 : 3], pair[0], pair[2]};
}

Yuv I420At(const uint8_t* frame, int32_t x, int32_t y) {
    constexpr int64_t lumaBytes = int64_t{kTvWidth} * kTvHeight;
    const int64_t chroma = int64_t{y / 2} * (kTvWidth / 2) + x / 2;
    return {frame[int64_t{y} * kTvWidth + x], frame[lumaBytes + chroma],
            frame[lumaBytes * 5 / 4 + chroma]};
}

}  // namespace

std::optional<PhotoFrameLayout> LayOutPhotoFrame(const StoredFrame& frame) {
    if (frame.FormatId == kTurnedFormat) {
        return std::nullopt;
    }
    PhotoFrameLayout layout;
    const auto* known =
        std::find_if(std::begin(KnownFormats), std::end(KnownFormats),
                     [&](const PhotoFormat& format) { return format.FormatId == frame.FormatId; });
    if (known != std::end(KnownFormats)) {
        layout.Pixels = known->Pixels;
        layout.FrameWidth = known->Width;
        layout.FrameHeight = known->Height;
    } else if (uint64_t{frame.Width} * frame.Height * 2 == frame.ByteCount) {
        layout.FrameWidth = frame.Width;
        layout.FrameHeight = frame.Height;
    } else {
        return std::nullopt;
    }
    const int64_t bytes = PixelBytes(layout.Pixels, layout.FrameWidth, layout.FrameHeight);
    if (layout.FrameWidth <= 0 || layout.FrameHeight <= 0 || layout.FrameWidth > kMaxFrameSide ||
        layout.FrameHeight > kMaxFrameSide || bytes > frame.ByteCount) {
        return std::nullopt;
    }
    layout.FrameBytes = static_cast<uint32_t>(bytes);
    const int32_t horizontal = frame.HorizontalPadding;
    const int32_t vertical = frame.VerticalPadding;
    layout.Left = std::max(horizontal, 0);
    layout.Top = std::max(vertical, 0);
    layout.Width =
        std::min(int32_t{frame.Width} - std::abs(horizontal), layout.FrameWidth - layout.Left);
    layout.Height =
        std::min(int32_t{frame.Height} - std::abs(vertical), layout.FrameHeight - layout.Top);
    if (layout.Width <= 0 || layout.Height <= 0) {
        return std::nullopt;
    }
    return layout;
}

Picture DecodePhotoFrame(const PhotoFrameLayout& layout, const uint8_t* frame) {
    Picture picture{layout.Width, layout.Height, {}};
    picture.Pixels.resize(static_cast<size_t>(layout.Width) * static_cast<size_t>(layout.Height));
    uint32_t* out = picture.Pixels.data();
    for (int32_t row = 0; row < layout.Height; ++row) {
        const int32_t y = layout.Top + row;
        for (int32_t column = 0; column < layout.Width; ++column) {
            const int32_t x = layout.Left + column;
            switch (layout.Pixels) {
                case PhotoPixels::Rgb565Little:
                case PhotoPixels::Rgb565Big: {
                    const uint8_t* pixel = frame + (int64_t{y} * layout.FrameWidth + x) * 2;
                    const bool big = layout.Pixels == PhotoPixels::Rgb565Big;
                    *out++ = Rgb565(uint32_t{pixel[big ? 0 : 1]} << 8 | pixel[big ? 1 : 0]);
                    break;
                }
                case PhotoPixels::UyvyInterlaced: {
                    const Yuv yuv = UyvyAt(frame, x, y);
                    *out++ = Rgb(yuv.Y, yuv.U, yuv.V);
                    break;
                }
                case PhotoPixels::I420: {
                    const Yuv yuv = I420At(frame, x, y);
                    *out++ = Rgb(yuv.Y, yuv.U, yuv.V);
                    break;
                }
            }
        }
    }
    return picture;
}
