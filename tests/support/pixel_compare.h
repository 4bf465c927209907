#pragma once

// Comparing rendered pixels across processors.
//
// Qt's raster engine picks its blending and anti-aliasing routines by the
// processor's instruction set (SSE2, AVX2, AVX-512), and these round
// differently: an anti-aliased edge or a half-transparent blend may come out
// one step of 255 apart on another machine. Exact comparisons of such pixels
// fail there without anything having changed, so they allow a small channel
// difference, while a changed drawing (a moved edge, another colour, a shape
// more or less) changes many pixels by far more and is still caught.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace quib::testing {

// What processors may differ by in one 8-bit channel of a rendered pixel.
inline constexpr int kRenderingChannelTolerance = 2;

// The share of pixels that may differ at all: only edge pixels do, and an
// edge is a thin line through a picture.
inline constexpr double kRenderingDifferentShare = 0.01;

struct PixelDifference {
    int largestChannelDifference = 0;   // over all channels of all pixels
    double shareOfDifferentPixels = 0;  // pixels with any channel differing
};

// Both spans hold pixels of `channels` bytes each, in the same layout.
inline PixelDifference ComparePixels(std::span<const std::uint8_t> a,
                                     std::span<const std::uint8_t> b, std::size_t channels) {
    PixelDifference result;
    const std::size_t pixels = std::min(a.size(), b.size()) / channels;
    std::size_t different = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
        int largest = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            const std::size_t i = p * channels + c;
            largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
        }
        result.largestChannelDifference = std::max(result.largestChannelDifference, largest);
        different += largest > 0 ? 1 : 0;
    }
    result.shareOfDifferentPixels =
        pixels == 0 ? 0.0 : static_cast<double>(different) / static_cast<double>(pixels);
    return result;
}

// True when two renderings of the same drawing differ no more than two
// processors may make them differ.
inline bool SameRendering(const PixelDifference& difference) {
    return difference.largestChannelDifference <= kRenderingChannelTolerance &&
           difference.shareOfDifferentPixels <= kRenderingDifferentShare;
}

// One 0x00RRGGBB pixel against another, channel by channel.
inline bool RgbNear(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance) {
            return false;
        }
    }
    return true;
}

}  // namespace quib::testing
