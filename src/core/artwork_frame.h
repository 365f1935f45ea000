// The player's stored pictures: raw frames of 16-bit RGB565 pixels, square,
// of a side that the format id gives, back to back in the .ithmb files of
// the Artwork folder. This unit knows which formats are cover art, where a
// picture lies inside its frame and how its pixels decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "picture.h"

// Frames larger than this on either side are refused.
inline constexpr int32_t kMaxFrameSide = 1024;

// One stored size of a picture, as the artwork store describes it.
struct StoredFrame {
    uint32_t FormatId = 0;
    uint32_t ByteCount = 0;         // of the whole frame
    int16_t VerticalPadding = 0;    // signed: negative paddings only shrink the picture
    int16_t HorizontalPadding = 0;  //
    uint16_t Height = 0;            // of the picture with its padding
    uint16_t Width = 0;
};

// Where the visible picture lies inside its frame.
struct VisibleArea {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The visible picture of `frame` in a frame of `frameWidth` × `frameHeight`
// pixels: at its paddings where they are positive, its size less both
// paddings, clipped to the frame; nothing when no pixel of it lies inside.
std::optional<VisibleArea> VisibleAreaOf(const StoredFrame& frame, int32_t frameWidth,
                                         int32_t frameHeight);

// Where a picture's pixels lie in its frame and how they are stored.
struct FrameLayout : VisibleArea {
    int32_t Side = 0;      // the frame is Side × Side pixels
    int32_t RowBytes = 0;  // from one row's start to the next's (rows may be padded)
    bool BigEndian = false;

    // The bytes of the frame that hold the picture: from the first visible
    // pixel of its first row to the last of its last row.
    int64_t PictureOffset() const { return int64_t{Top} * RowBytes + int64_t{Left} * 2; }
    size_t PictureBytes() const {
        return static_cast<size_t>(Height - 1) * static_cast<size_t>(RowBytes) +
               static_cast<size_t>(Width) * 2;
    }
};

// The frame's layout, or nothing when its format is not cover art (photos,
// TV-out frames), its byte count does not hold the frame, the frame is
// larger than kMaxFrameSide, or no pixel of the picture lies inside it.
std::optional<FrameLayout> LayOutFrame(const StoredFrame& frame);

// The picture from PictureBytes() bytes read at PictureOffset() of its
// frame; each 5- or 6-bit channel is widened to 8 bits by repeating its
// high bits, so that white stays white.
Picture DecodeFrame(const FrameLayout& layout, const uint8_t* bytes);
