#include "common/picture_qt.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quib {
namespace {

using Rgba = std::array<int, 4>;

RgbaImage MakePicture(int width, int height, const std::vector<Rgba>& colours) {
    RgbaImage picture{width, height, {}};
    for (const Rgba& colour : colours) {
        for (const int channel : colour) {
            picture.pixels.push_back(static_cast<std::uint8_t>(channel));
        }
    }
    return picture;
}

// Premultiplying rounds each colour to a step of 255 / alpha, so undoing it
// may be off by about half a step.
int RoundingTolerance(int alpha) {
    return static_cast<int>(std::ceil(127.5 / alpha + 0.5));
}

TEST(ToQImage, KeepsColourAndAlphaAsPremultipliedArgb) {
    // Three by two, so swapped sides or a wrong row stride show; opaque,
    // half-transparent and fully transparent pixels.
    const int width = 3;
    const int height = 2;
    const std::vector<Rgba> colours = {
        {255, 0, 0, 255},    {0, 255, 0, 255},   {0, 0, 255, 255},
        {200, 100, 50, 128}, {90, 180, 240, 64}, {10, 20, 30, 0},
    };
    RgbaImage picture = MakePicture(width, height, colours);

    const QImage image = ToQImage(picture);
    // The image must own its pixels: wipe and release the source first.
    picture.pixels.assign(picture.pixels.size(), 0xFF);
    picture = RgbaImage{};

    ASSERT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba& expected = colours[static_cast<std::size_t>(y * width + x)];
            const QColor actual = image.pixelColor(x, y);
            SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(actual.alpha(), expected[3]);
            if (expected[3] == 0) {
                continue;  // no colour survives full transparency
            }
            const int tolerance = RoundingTolerance(expected[3]);
            EXPECT_NEAR(actual.red(), expected[0], tolerance);
            EXPECT_NEAR(actual.green(), expected[1], tolerance);
            EXPECT_NEAR(actual.blue(), expected[2], tolerance);
        }
    }
}

TEST(ToQImage, GivesANullImageForAnEmptyOrInconsistentPicture) {
    const RgbaImage cases[] = {
        RgbaImage{}, RgbaImage{0, 4, {}},
        RgbaImage{2, 2, std::vector<std::uint8_t>(12)},    // one pixel short
        RgbaImage{-1, -4, std::vector<std::uint8_t>(16)},  // negative sides, positive product
    };
    for (const RgbaImage& picture : cases) {
        SCOPED_TRACE(std::to_string(picture.width) + "x" + std::to_string(picture.height));
        EXPECT_TRUE(ToQImage(picture).isNull());
    }
}

}  // namespace
}  // namespace quib
