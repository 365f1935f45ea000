#include "artwork_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct FormatSide {
    uint32_t FormatId;
    int32_t Side;
};

// The cover art formats of the players that keep covers, and their frames'
// sides.
constexpr FormatSide KnownFormats[] = {
    {1016, 140}, {1017, 56},                             // photo
    {1027, 100}, {1031, 42},                             // nano 1st, 2nd generation
    {1028, 100}, {1029, 200},                            // video
    {1055, 128}, {1068, 128}, {1060, 320}, {1061, 56},   // classic, nano 3rd generation
    {1056, 128}, {1071, 240}, {1073, 240}, {1084, 240},  // nano 4th, 5th generation
    {1074, 50},  {1078, 80},                             //
    {2002, 50},  {2003, 150},                            // a phone with the player built in
};

bool IsBigEndianFormat(uint32_t formatId) {
    return formatId == 2002 || formatId == 2003;
}

// The side of a square frame of `byteCount` bytes at 2 bytes a pixel, when
// there is one.
std::optional<int32_t> SquareSide(uint32_t byteCount) {
    if (byteCount == 0 || byteCount % 2 != 0) {
        return std::nullopt;
    }
    const uint32_t pixels = byteCount / 2;
    auto side = static_cast<uint32_t>(std::sqrt(static_cast<double>(pixels)));
    while (side * side > pixels) {
        --side;
    }
    while ((side + 1) * (side + 1) <= pixels) {
        ++side;
    }
    if (side * side != pixels) {
        return std::nullopt;
    }
    return static_cast<int32_t>(side);
}

std::optional<int32_t> FrameSide(const StoredFrame& frame) {
    for (const FormatSide& known : KnownFormats) {
        if (known.FormatId == frame.FormatId) {
            return known.Side;
        }
    }
    return SquareSide(frame.ByteCount);
}

uint8_t Widen(uint32_t value, int bits) {
    return static_cast<uint8_t>(value << (8 - bits) | value >> (2 * bits - 8));
}

}  // namespace

std::optional<VisibleArea> VisibleAreaOf(const StoredFrame& frame, int32_t frameWidth,
                                         int32_t frameHeight) {
    const int32_t horizontal = frame.HorizontalPadding;
    const int32_t vertical = frame.VerticalPadding;
    VisibleArea area;
    area.Left = std::max(horizontal, 0);
    area.Top = std::max(vertical, 0);
    area.Width = std::min(int32_t{frame.Width} - std::abs(horizontal), frameWidth - area.Left);
    area.Height = std::min(int32_t{frame.Height} - std::abs(vertical), frameHeight - area.Top);
    if (area.Left >= frameWidth || area.Top >= frameHeight || area.Width <= 0 || area.Height <= 0) {
        return std::nullopt;
    }
    return area;
}

std::optional<FrameLayout> LayOutFrame(const StoredFrame& frame) {
    const std::optional<int32_t> side = FrameSide(frame);
    if (!side || *side <= 0 || *side > kMaxFrameSide) {
        return std::nullopt;
    }
    FrameLayout layout;
    layout.Side = *side;
    layout.BigEndian = IsBigEndianFormat(frame.FormatId);
    // Some players pad their rows: the row length is what the byte count
    // gives each row, where it divides evenly.
    const int64_t plainRow = int64_t{*side} * 2;
    const int64_t rowBytes =
        frame.ByteCount % *side == 0 ? int64_t{frame.ByteCount} / *side : plainRow;
    if (rowBytes < plainRow || rowBytes > int64_t{kMaxFrameSide} * 2 ||
        rowBytes * *side > frame.ByteCount) {
        return std::nullopt;
    }
    layout.RowBytes = static_cast<int32_t>(rowBytes);
    const std::optional<VisibleArea> visible = VisibleAreaOf(frame, *side, *side);
    if (!visible) {
        return std::nullopt;
    }
    static_cast<VisibleArea&>(layout) = *visible;
    return layout;
}

Picture DecodeFrame(const FrameLayout& layout, const uint8_t* bytes) {
    Picture picture{layout.Width, layout.Height, {}};
    picture.Pixels.resize(static_cast<size_t>(layout.Width) * layout.Height);
    uint32_t* out = picture.Pixels.data();
    const int high = layout.BigEndian ? 0 : 1;
    for (int32_t y = 0; y < layout.Height; ++y) {
        const uint8_t* row = bytes + static_cast<size_t>(y) * layout.RowBytes;
        for (int32_t x = 0; x < layout.Width; ++x) {
            const uint32_t value = uint32_t{row[2 * x + high]} << 8 | row[2 * x + 1 - high];
            *out++ = uint32_t{Widen(value >> 11, 5)} << 16 |
                     uint32_t{Widen((value >> 5) & 0x3F, 6)} << 8 | Widen(value & 0x1F, 5);
        }
    }
    return picture;
}
