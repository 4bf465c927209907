#include "client/screen_geometry.h"

#include <cmath>

namespace quib::client {
namespace {

constexpr float kDesignHeight = 600.0f;
constexpr float kDesignWidth = 1024.0f;
constexpr float kPictureSide = 480.0f;

// Nearest integer, halves to even: std::lrint under the default rounding mode.
int RoundHalfEven(float value) {
    return static_cast<int>(std::lrint(value));
}

}  // namespace

ScreenGeometry ComputeScreenGeometry(int baseHight, int baseFontSize, int innerWidth,
                                     int innerHeight) {
    ScreenGeometry g;
    const float f = static_cast<float>(baseHight) / kDesignHeight;
    g.scale = f;
    g.unit = RoundHalfEven(f * kPictureSide);
    g.windowWidth = RoundHalfEven(f * kDesignWidth);
    g.windowHeight = baseHight;

    // Integer halves first, so an odd inner size puts the centre on the
    // pixel to its upper left, then one rounding per coordinate.
    const auto halfWidth = static_cast<float>(innerWidth / 2);
    const auto halfHeight = static_cast<float>(innerHeight / 2);
    const int pictureTop = RoundHalfEven(halfHeight - 280.0f * f);
    const int textTop = RoundHalfEven(halfHeight + 215.0f * f);
    // The text fields follow the font size and are not scaled.
    const int textHeight = 4 * baseFontSize - 1;

    g.leftPicture = {RoundHalfEven(halfWidth - 490.0f * f), pictureTop, g.unit, g.unit};
    g.rightPicture = {RoundHalfEven(halfWidth + 10.0f * f), pictureTop, g.unit, g.unit};
    g.leftText = {RoundHalfEven(halfWidth - 490.0f * f), textTop, RoundHalfEven(594.0f * f),
                  textHeight};
    g.rightText = {RoundHalfEven(halfWidth + 114.0f * f), textTop, RoundHalfEven(380.0f * f),
                   textHeight};
    return g;
}

}  // namespace quib::client
