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

// YUV to RGB, R = 1.164(Y-16) + 1.596(V-128), G = 1.164(Y-16) - 0.813(V-128) -
// 0.391(U-128), B = 1.164(Y-16) + 2.018(U-128), each clamped to 0-255: in
// fixed point, each term looked up once per value, and rounded once.
class YuvToRgb {
public:
    YuvToRgb() {
        for (int value = 0; value < 256; ++value) {
            luma_[value] = Fixed(1.164 * (value - 16)) + kHalf;
            redV_[value] = Fixed(1.596 * (value - 128));
            greenV_[value] = Fixed(-0.813 * (value - 128));
            greenU_[value] = Fixed(-0.391 * (value - 128));
            blueU_[value] = Fixed(2.018 * (value - 128));
        }
    }

    uint32_t operator()(int y, int u, int v) const {
        const int32_t luma = luma_[y];
        return Clamped(luma + redV_[v]) << 16 | Clamped(luma + greenV_[v] + greenU_[u]) << 8 |
               Clamped(luma + blueU_[u]);
    }

private:
    static constexpr int kShift = 16;
    static constexpr int32_t kHalf = 1 << (kShift - 1);
    static int32_t Fixed(double value) {
        return static_cast<int32_t>(std::lround(value * (1 << kShift)));
    }
    static uint32_t Clamped(int32_t value) {
        return static_cast<uint32_t>(std::clamp(value >> kShift, 0, 255));
    }

    int32_t luma_[256], redV_[256], greenV_[256], greenU_[256], blueU_[256];
};

const YuvToRgb& Yuv() {
    static const YuvToRgb table;
    return table;
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
    const std::optional<VisibleArea> visible =
        VisibleAreaOf(frame, layout.FrameWidth, layout.FrameHeight);
    if (!visible) {
        return std::nullopt;
    }
    static_cast<VisibleArea&>(layout) = *visible;
    return layout;
}

Picture DecodePhotoFrame(const PhotoFrameLayout& layout, const uint8_t* frame) {
    Picture picture{layout.Width, layout.Height, {}};
    picture.Pixels.resize(static_cast<size_t>(layout.Width) * static_cast<size_t>(layout.Height));
    uint32_t* out = picture.Pixels.data();
    const YuvToRgb& rgb = Yuv();
    const int64_t width = layout.FrameWidth;
    for (int32_t y = layout.Top; y < layout.Top + layout.Height; ++y) {
        const int32_t left = layout.Left;
        const int32_t right = layout.Left + layout.Width;
        switch (layout.Pixels) {
            case PhotoPixels::Rgb565Little:
            case PhotoPixels::Rgb565Big: {
                const int high = layout.Pixels == PhotoPixels::Rgb565Big ? 0 : 1;
                const uint8_t* row = frame + y * width * 2;
                for (int32_t x = left; x < right; ++x) {
                    *out++ = Rgb565(uint32_t{row[2 * x + high]} << 8 | row[2 * x + 1 - high]);
                }
                break;
            }
            case PhotoPixels::UyvyInterlaced: {
                // The first half of the frame holds the even lines, the second the odd.
                const int32_t stored = y % 2 == 0 ? y / 2 : kTvHeight / 2 + y / 2;
                const uint8_t* row = frame + stored * width * 2;
                for (int32_t x = left; x < right; ++x) {
                    const uint8_t* pair = row + (x & ~1) * 2;
                    *out++ = rgb(pair[x % 2 == 0 ? 1 : 3], pair[0], pair[2]);
                }
                break;
            }
            case PhotoPixels::I420: {
                const int64_t lumaBytes = width * kTvHeight;
                const uint8_t* luma = frame + y * width;
                const uint8_t* u = frame + lumaBytes + (y / 2) * (width / 2);
                const uint8_t* v = frame + lumaBytes * 5 / 4 + (y / 2) * (width / 2);
                for (int32_t x = left; x < right; ++x) {
                    *out++ = rgb(luma[x], u[x / 2], v[x / 2]);
                }
                break;
            }
        }
    }
    return picture;
}
