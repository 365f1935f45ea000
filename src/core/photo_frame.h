// The stored pictures of the player's photos: raw frames in the .ithmb files
// of the Photos\Thumbs folder, of a size and pixel format that the format id
// gives (RGB565 either way round, the TV-out frames in UYVY or I420). This
// unit knows the formats, where a picture lies inside its frame and how its
// pixels decode.
#pragma once

#include <cstdint>
#include <optional>

#include "artwork_frame.h"  // StoredFrame, VisibleArea, kMaxFrameSide
#include "picture.h"

enum class PhotoPixels { Rgb565Little, Rgb565Big, UyvyInterlaced, I420 };

// Where a photo's picture lies in its frame and how its pixels are stored.
struct PhotoFrameLayout : VisibleArea {
    PhotoPixels Pixels = PhotoPixels::Rgb565Little;
    int32_t FrameWidth = 0;
    int32_t FrameHeight = 0;
    // The bytes of the frame that its pixels take.
    uint32_t FrameBytes = 0;
};

// The frame's layout, or nothing when its format is one not to use (the
// turned 1013), its byte count does not hold the frame, the frame is
// larger than kMaxFrameSide, or no pixel of the picture lies inside it. A
// format id that is not known is taken as RGB565 little-endian of the
// stored size when its byte count is exactly that.
std::optional<PhotoFrameLayout> LayOutPhotoFrame(const StoredFrame& frame);

// The visible picture of a whole frame of FrameBytes bytes.
Picture DecodePhotoFrame(const PhotoFrameLayout& layout, const uint8_t* frame);
