// A decoded picture in memory, and its smooth scaling for the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Picture {
    int32_t Width = 0;
    int32_t Height = 0;
    // 0xRRGGBB per pixel, rows from the top: as a 32-bit top-down bitmap
    // of Windows holds them.
    std::vector<uint32_t> Pixels;

    uint32_t At(int32_t x, int32_t y) const {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

// The picture resampled to `width` × `height` (both at least 1): each pixel
// is a weighted mean of the source pixels around it, over a wider area when
// shrinking, so that neither shrinking nor enlarging shows steps.
Picture ScalePicture(const Picture& source, int32_t width, int32_t height);

struct PictureSize {
    int32_t Width = 0;
    int32_t Height = 0;

    bool operator==(const PictureSize&) const = default;
};

// The size of a picture of `width` × `height` scaled with its proportions
// kept to fill as much of a box of `boxWidth` × `boxHeight` as it can without
// leaving it; each side at least 1, so that a picture much longer than
// it is wide still shows, as a line.
PictureSize FittedSize(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight);
