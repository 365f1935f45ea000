#include "picture.h"

#include <algorithm>
#include <cmath>

namespace {

// One output position's source pixels and their weights, which sum to 1.
struct Taps {
    int32_t First = 0;
    std::vector<float> Weights;
};

// A tent filter along one axis, as wide as one source pixel when enlarging
// and as one output pixel when shrinking.
std::vector<Taps> AxisTaps(int32_t sourceSize, int32_t targetSize) {
    const double scale = static_cast<double>(targetSize) / sourceSize;
    const double support = std::max(1.0, 1.0 / scale);
    std::vector<Taps> taps(static_cast<size_t>(targetSize));
    for (int32_t i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        const auto first = static_cast<int32_t>(std::floor(centre - support)) + 1;
        const auto last = static_cast<int32_t>(std::ceil(centre + support)) - 1;
        Taps& tap = taps[static_cast<size_t>(i)];
        tap.First = std::clamp(first, 0, sourceSize - 1);
        double total = 0;
        std::vector<double> weights;
        for (int32_t j = tap.First; j <= std::min(last, sourceSize - 1); ++j) {
            const double weight = std::max(0.0, 1.0 - std::abs(j - centre) / support);
            weights.push_back(weight);
            total += weight;
        }
        if (weights.empty() || total <= 0) {
            // Past the edge: the nearest pixel.
            tap.First = std::clamp(static_cast<int32_t>(std::lround(centre)), 0, sourceSize - 1);
            tap.Weights = {1.0f};
            continue;
        }
        for (const double weight : weights) {
            tap.Weights.push_back(static_cast<float>(weight / total));
        }
    }
    return taps;
}

uint8_t Channel(uint32_t pixel, int shift) {
    return static_cast<uint8_t>(pixel >> shift);
}

uint32_t ToPixel(const float (&rgb)[3]) {
    uint32_t pixel = 0;
    for (const float value : rgb) {
        pixel = pixel << 8 | static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return pixel;
}

}  // namespace

Picture ScalePicture(const Picture& source, int32_t width, int32_t height) {
    Picture target{width, height, {}};
    if (source.Width <= 0 || source.Height <= 0 || width <= 0 || height <= 0) {
        return target;
    }
    const std::vector<Taps> across = AxisTaps(source.Width, width);
    const std::vector<Taps> down = AxisTaps(source.Height, height);
    // Rows first, into floats, then columns.
    std::vector<float> rows(static_cast<size_t>(width) * source.Height * 3);
    for (int32_t y = 0; y < source.Height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const Taps& tap = across[static_cast<size_t>(x)];
            float* out = &rows[(static_cast<size_t>(y) * width + x) * 3];
            for (size_t k = 0; k < tap.Weights.size(); ++k) {
                const uint32_t pixel = source.At(tap.First + static_cast<int32_t>(k), y);
                for (int c = 0; c < 3; ++c) {
                    out[c] += tap.Weights[k] * Channel(pixel, 16 - 8 * c);
                }
            }
        }
    }
    target.Pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        const Taps& tap = down[static_cast<size_t>(y)];
        for (int32_t x = 0; x < width; ++x) {
            float rgb[3] = {};
            for (size_t k = 0; k < tap.Weights.size(); ++k) {
                const float* in =
                    &rows[(static_cast<size_t>(tap.First + static_cast<int32_t>(k)) * width + x) *
                          3];
                for (int c = 0; c < 3; ++c) {
                    rgb[c] += tap.Weights[k] * in[c];
                }
            }
            target.Pixels[static_cast<size_t>(y) * width + x] = ToPixel(rgb);
        }
    }
    return target;
}

PictureSize FittedSize(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        return {1, 1};
    }
    // The side that meets the box first takes its length; the other follows,
    // rounded to the nearest pixel.
    const auto scaled = [](int32_t side, int32_t fittedOther, int32_t other) {
        const int64_t length = (int64_t{side} * fittedOther + other / 2) / other;
        return static_cast<int32_t>(std::max<int64_t>(length, 1));
    };
    if (int64_t{width} * boxHeight >= int64_t{height} * boxWidth) {
        return {boxWidth, std::min(boxHeight, scaled(height, boxWidth, width))};
    }
    return {std::min(boxWidth, scaled(width, boxHeight, height)), boxHeight};
}
