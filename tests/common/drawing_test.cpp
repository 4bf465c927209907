#include "common/drawing.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/image_store.h"
#include "common/shapes.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"
#include "tests/support/pixel_compare.h"

namespace quib {
namespace {

using Bytes = std::vector<std::uint8_t>;
using protocol::Colour;

// Wire colours (0x00BBGGRR) and the pixels (0xRRGGBB) they become.
constexpr Colour kRed = 0x000000FF;
constexpr Colour kGreen = 0x0000FF00;
constexpr Colour kWhite = 0x00FFFFFF;
constexpr QRgb kBlackPixel = 0x000000;
constexpr QRgb kRedPixel = 0xFF0000;
constexpr QRgb kGreenPixel = 0x00FF00;
constexpr QRgb kWhitePixel = 0xFFFFFF;

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

constexpr int kUnit = 100;

// Store indexes of the four screen images and of slot 0.
constexpr int kLeftFront = 0;
constexpr int kLeftBack = 1;
constexpr int kRightFront = 2;
constexpr int kRightBack = 3;
constexpr int kSlot0 = 4;

// A wire value for a pixel position on a screen of kUnit.
constexpr float Px(int pixels) {
    return static_cast<float>(pixels) / kUnit;
}

// A message given by type and body, for bodies no builder makes.
struct RawMessage {
    std::uint8_t type = 0;
    Bytes body;
};

bool Append(protocol::SendBuffer& buffer, const RawMessage& message) {
    return buffer.Append(message.type, message.body);
}

// The body of one message as its builder writes it.
template <typename M>
Bytes BodyOf(const M& message) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    if (!Append(*buffer, message)) {
        return {};
    }
    const auto frame = buffer->FinishFrame();
    constexpr std::size_t kBodyStart = protocol::kHeaderSize + 2;
    return Bytes(frame.begin() + kBodyStart, frame.end() - protocol::kCheckSize);
}

Bytes Shortened(Bytes body) {
    body.pop_back();
    return body;
}

// Sends the messages as one frame through the screen, as a receiver would;
// true when every message succeeded.
template <typename... M>
bool RunFrame(DrawingExecutor& screen, const M&... messages) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    EXPECT_TRUE((Append(*buffer, messages) && ...)) << "frame too large";
    return protocol::ExecuteFrame(buffer->FinishFrame(),
                                  [&screen](std::uint8_t type, std::span<const std::uint8_t> body) {
                                      return screen.Execute(type, body);
                                  });
}

QRgb RgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// Compares every pixel of the image with `expected`; names the first that
// differs.
::testing::AssertionResult PixelsAre(const QImage* image,
                                     const std::function<QRgb(int x, int y)>& expected) {
    if (image == nullptr) {
        return ::testing::AssertionFailure() << "no image";
    }
    for (int y = 0; y < image->height(); ++y) {
        for (int x = 0; x < image->width(); ++x) {
            if (RgbAt(*image, x, y) != expected(x, y)) {
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << RgbAt(*image, x, y)
                       << ", expected " << expected(x, y);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

std::function<QRgb(int, int)> Inside(const QRect& area, QRgb colour) {
    return [area, colour](int x, int y) { return area.contains(x, y) ? colour : kBlackPixel; };
}

QImage Solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class DrawingTest : public ::testing::Test {
  protected:
    DrawingTest() { std::filesystem::create_directory(pictures_); }

    void SavePicture(const std::filesystem::path& file, const QImage& picture) {
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG")) << file;
    }

    template <typename... M>
    bool Run(const M&... messages) {
        return RunFrame(screen_, messages...);
    }

    const QImage& Left() const { return *screen_.Image(kLeftBack); }

    testing::ScratchDirectory scratch_;
    const std::filesystem::path pictures_ = scratch_.path() / "grafik";
    DrawingExecutor screen_{DrawingConfig{kUnit, kUnit, pictures_, 1.0f}};
};

// --- screen images and present ---------------------------------------------

TEST_F(DrawingTest, PresentWithNothingDrawnShowsTwoBlackSquaresOnce) {
    int presents = 0;
    screen_.onPresent = [&presents] { ++presents; };
    ASSERT_TRUE(Run(protocol::Present{}));
    EXPECT_EQ(presents, 1);
    for (const int index : {kLeftFront, kRightFront}) {
        SCOPED_TRACE(index);
        ASSERT_NE(screen_.Image(index), nullptr);
        EXPECT_EQ(screen_.Image(index)->size(), QSize(kUnit, kUnit));
        EXPECT_TRUE(PixelsAre(screen_.Image(index), Inside(QRect(), 0)));
    }
    EXPECT_EQ(screen_.Image(kSlot0), nullptr);
}

TEST_F(DrawingTest, PresentCopiesEachBackBufferOntoItsOwnFrontImage) {
    const QRect leftBox(10, 10, 20, 20);
    const QRect rightBox(50, 60, 5, 5);
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Box{Px(10), Px(10), Px(20), Px(20), kRed},
                    protocol::BeginDrawing{-2}, protocol::Box{Px(50), Px(60), Px(5), Px(5), kGreen},
                    protocol::EndDrawing{}));
    EXPECT_TRUE(PixelsAre(screen_.Image(kLeftFront), Inside(QRect(), 0))) << "shown before 254";

    bool copiedBeforeCall = false;
    screen_.onPresent = [&] {
        copiedBeforeCall = PixelsAre(screen_.Image(kLeftFront), Inside(leftBox, kRedPixel)) &&
                           PixelsAre(screen_.Image(kRightFront), Inside(rightBox, kGreenPixel));
    };
    ASSERT_TRUE(Run(protocol::Present{}));
    EXPECT_TRUE(copiedBeforeCall);
}

// Covering a view with a whole picture shares its pixels rather than copying
// them; whatever is drawn next must still land on one image only, and the
// image a present showed keeps what it showed.
TEST_F(DrawingTest, DrawingAfterPresentTouchesNeitherTheShownImageNorThePicture) {
    const QRect all(0, 0, kUnit, kUnit);
    const QRect mark(10, 10, 5, 5);
    ASSERT_TRUE(Run(protocol::CreateImage{0, 1, 1}, protocol::BeginDrawing{0},
                    protocol::Box{0, 0, 1, 1, kRed}, protocol::BeginDrawing{-1},
                    protocol::DrawImage{0, 0, 0}, protocol::Present{},
                    protocol::Box{Px(10), Px(10), Px(5), Px(5), kGreen}));
    EXPECT_TRUE(PixelsAre(
        &Left(), [&](int x, int y) { return mark.contains(x, y) ? kGreenPixel : kRedPixel; }));
    EXPECT_TRUE(PixelsAre(screen_.Image(kLeftFront), Inside(all, kRedPixel)));
    EXPECT_TRUE(PixelsAre(screen_.Image(kSlot0), Inside(all, kRedPixel)));
}

// --- boxes, lines, plots ---------------------------------------------------

struct BoxCase {
    const char* name;
    float x, y, width, height;
    QRect covered;
};

class BoxTest : public DrawingTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(BoxTest, CoversExactlyItsPixels) {
    const BoxCase& c = GetParam();
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Box{c.x, c.y, c.width, c.height, kRed}));
    EXPECT_TRUE(PixelsAre(&Left(), Inside(c.covered, kRedPixel)));
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxTest,
    ::testing::Values(
        BoxCase{"PositiveSides", Px(10), Px(20), Px(30), Px(5), {10, 20, 30, 5}},
        BoxCase{"NegativeWidthExtendsLeft", Px(50), Px(20), Px(-30), Px(5), {20, 20, 30, 5}},
        BoxCase{"NegativeHeightExtendsUp", Px(10), Px(50), Px(30), Px(-20), {10, 30, 30, 20}},
        BoxCase{"PastTheEdgeIsClipped", Px(90), Px(-5), Px(30), Px(10), {90, 0, 10, 5}},
        BoxCase{"ZeroWidthDrawsNothing", Px(10), Px(10), 0, Px(10), {}}),
    testing::CaseName());

TEST_F(DrawingTest, OutlinedBoxIsItsOnePixelBorder) {
    const QRect box(10, 20, 30, 5);
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{protocol::kModeOutline},
                    protocol::Box{Px(10), Px(20), Px(30), Px(5), kRed}));
    EXPECT_TRUE(PixelsAre(&Left(), [&box](int x, int y) {
        const bool onBorder = box.contains(x, y) && !box.adjusted(1, 1, -1, -1).contains(x, y);
        return onBorder ? kRedPixel : kBlackPixel;
    }));
}

struct LineCase {
    const char* name;
    QPoint from, to, beyondFrom, beyondTo;
};

class LineTest : public DrawingTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, IncludesBothEndPointsAndNothingBeyond) {
    const LineCase& c = GetParam();
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Line{Px(c.from.x()), Px(c.from.y()),
                                                               Px(c.to.x()), Px(c.to.y()), kRed}));
    EXPECT_EQ(RgbAt(Left(), c.from.x(), c.from.y()), kRedPixel);
    EXPECT_EQ(RgbAt(Left(), c.to.x(), c.to.y()), kRedPixel);
    EXPECT_EQ(RgbAt(Left(), c.beyondFrom.x(), c.beyondFrom.y()), kBlackPixel);
    EXPECT_EQ(RgbAt(Left(), c.beyondTo.x(), c.beyondTo.y()), kBlackPixel);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineTest,
    ::testing::Values(LineCase{"Rightwards", {10, 50}, {60, 50}, {9, 50}, {61, 50}},
                      LineCase{"Leftwards", {60, 50}, {10, 50}, {61, 50}, {9, 50}},
                      LineCase{"Downwards", {30, 5}, {30, 90}, {30, 4}, {30, 91}},
                      LineCase{"Diagonal", {20, 20}, {70, 70}, {19, 19}, {71, 71}}),
    testing::CaseName());

TEST_F(DrawingTest, PlotSetsOnePixelRoundingHalvesToEven) {
    // 0.125 and 0.375 of 100 pixels are 12.5 and 37.5: the even neighbours.
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Plot{0.125f, 0.375f, kRed}));
    EXPECT_TRUE(PixelsAre(&Left(), Inside(QRect(12, 38, 1, 1), kRedPixel)));
}

TEST(DrawingUnit, HalfAPictureAtUnit360IsPixel180) {
    DrawingExecutor screen(DrawingConfig{360, 360, {}, 0.75f});
    ASSERT_TRUE(RunFrame(screen, protocol::BeginDrawing{-1}, protocol::Plot{0.5f, 0.5f, kRed}));
    EXPECT_TRUE(PixelsAre(screen.Image(kLeftBack), Inside(QRect(180, 180, 1, 1), kRedPixel)));
}

// --- circles, ellipses, drawing modes --------------------------------------

struct RoundCase {
    const char* name;
    std::int32_t mode;
    int radiusX, radiusY;
    QRgb centre;
};

class RoundShapeTest : public DrawingTest, public ::testing::WithParamInterface<RoundCase> {};

TEST_P(RoundShapeTest, ReachesCentrePlusMinusRadius) {
    const RoundCase& c = GetParam();
    const int cx = 50;
    const int cy = 40;
    const bool isCircle = c.radiusX == c.radiusY;
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{c.mode}));
    if (isCircle) {
        ASSERT_TRUE(Run(protocol::Circle{Px(cx), Px(cy), Px(c.radiusX), kRed}));
    } else {
        ASSERT_TRUE(Run(protocol::Ellipse{Px(cx), Px(cy), Px(c.radiusX), Px(c.radiusY), kRed}));
    }
    for (const int sign : {-1, 1}) {
        EXPECT_EQ(RgbAt(Left(), cx + sign * c.radiusX, cy), kRedPixel);
        EXPECT_EQ(RgbAt(Left(), cx, cy + sign * c.radiusY), kRedPixel);
        EXPECT_EQ(RgbAt(Left(), cx + sign * (c.radiusX + 1), cy), kBlackPixel);
        EXPECT_EQ(RgbAt(Left(), cx, cy + sign * (c.radiusY + 1)), kBlackPixel);
    }
    EXPECT_EQ(RgbAt(Left(), cx, cy), c.centre);
}

INSTANTIATE_TEST_SUITE_P(
    RoundShapes, RoundShapeTest,
    ::testing::Values(RoundCase{"FilledCircle", protocol::kModeFilled, 10, 10, kRedPixel},
                      RoundCase{"OutlinedCircle", protocol::kModeOutline, 10, 10, kBlackPixel},
                      RoundCase{"FilledEllipse", protocol::kModeFilled, 20, 5, kRedPixel},
                      RoundCase{"OutlinedEllipse", protocol::kModeOutline, 20, 5, kBlackPixel},
                      RoundCase{"CircleOfRadiusZeroIsItsCentre", protocol::kModeOutline, 0, 0,
                                kRedPixel}),
    testing::CaseName());

TEST_F(DrawingTest, XorModeFlipsEveryPixelOfTheShapeOnce) {
    const QRgb background = 0x102030;
    const Colour xorWire = 0x0000FFFF;  // red and green full
    const QRgb flipped = background ^ 0xFFFF00;
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Box{0, 0, 1, 1, 0x00302010},
                    protocol::DrawingMode{protocol::kModeXor},
                    protocol::Circle{Px(50), Px(50), Px(10), xorWire}));
    // The rim too: painting interior and border separately would flip it back.
    for (int x = 40; x <= 60; ++x) {
        EXPECT_EQ(RgbAt(Left(), x, 50), flipped) << "x " << x;
    }
    EXPECT_EQ(RgbAt(Left(), 39, 50), background);

    ASSERT_TRUE(Run(protocol::Box{Px(0), Px(0), Px(20), Px(20), xorWire},
                    protocol::Box{Px(10), Px(10), Px(20), Px(20), xorWire}));
    EXPECT_EQ(RgbAt(Left(), 5, 5), flipped);
    EXPECT_EQ(RgbAt(Left(), 15, 15), background) << "flipped twice";
    EXPECT_EQ(RgbAt(Left(), 25, 25), flipped);
}

TEST_F(DrawingTest, EveryBeginDrawingStartsInFilledMode) {
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{protocol::kModeOutline},
                    protocol::EndDrawing{}, protocol::BeginDrawing{-2},
                    protocol::Circle{Px(50), Px(50), Px(10), kRed},
                    protocol::DrawingMode{protocol::kModeOutline}, protocol::BeginDrawing{-2},
                    protocol::Circle{Px(20), Px(20), Px(5), kRed}));
    EXPECT_EQ(RgbAt(*screen_.Image(kRightBack), 50, 50), kRedPixel) << "other target";
    EXPECT_EQ(RgbAt(*screen_.Image(kRightBack), 20, 20), kRedPixel) << "same target reopened";
}

// --- polygons --------------------------------------------------------------

// A five-pointed star drawn in one stroke: its inner pentagon is enclosed
// twice, so the even-odd rule leaves it empty.
constexpr std::array<QPoint, 5> kStar = {QPoint{50, 10}, QPoint{74, 82}, QPoint{12, 38},
                                         QPoint{88, 38}, QPoint{26, 82}};

protocol::Polygon StarPolygon() {
    protocol::Polygon polygon{};
    polygon.pen = kRed;
    polygon.brush = kGreen;
    for (const QPoint& point : kStar) {
        polygon.points[polygon.count++] = {Px(point.x()), Px(point.y())};
    }
    return polygon;
}

class PolygonTest : public DrawingTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(PolygonTest, FillsEvenOddWithABorderInThePenColour) {
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{GetParam()}, StarPolygon()));
    EXPECT_EQ(RgbAt(Left(), 50, 55), kBlackPixel) << "inner pentagon";
    EXPECT_EQ(RgbAt(Left(), 50, 25), kGreenPixel) << "top point";
    EXPECT_EQ(RgbAt(Left(), 20, 40), kGreenPixel) << "left point";
    for (const QPoint& corner : kStar) {
        EXPECT_EQ(RgbAt(Left(), corner.x(), corner.y()), kRedPixel)
            << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(RgbAt(Left(), 50, 9), kBlackPixel);
}

INSTANTIATE_TEST_SUITE_P(Polygons, PolygonTest,
                         ::testing::Values(protocol::kModeFilled, protocol::kModeOutline),
                         [](const ::testing::TestParamInfo<std::int32_t>& mode) {
                             return mode.param == protocol::kModeFilled ? "FilledMode"
                                                                        : "OutlineMode";
                         });

// The first `count` points of a triangle whose last corner repeats, in a
// polygon body; the builder refuses counts outside 1 .. 30.
Bytes TriangleBody(std::size_t count) {
    const std::array<protocol::Point, 3> corners = {protocol::Point{Px(10), Px(10)},
                                                    protocol::Point{Px(60), Px(10)},
                                                    protocol::Point{Px(10), Px(60)}};
    protocol::BodyWriter writer;
    writer.Put(kRed);
    writer.Put(kGreen);
    for (std::size_t i = 0; i < count; ++i) {
        writer.Put(corners[std::min<std::size_t>(i, 2)]);
    }
    return Bytes(writer.bytes().begin(), writer.bytes().end());
}

TEST_F(DrawingTest, PolygonDrawsThirtyPointsButNotThirtyOne) {
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}));
    EXPECT_FALSE(Run(RawMessage{230, TriangleBody(31)}));
    EXPECT_TRUE(PixelsAre(&Left(), Inside(QRect(), 0)));

    EXPECT_TRUE(Run(RawMessage{230, TriangleBody(30)}));
    EXPECT_EQ(RgbAt(Left(), 20, 20), kGreenPixel);
    EXPECT_EQ(RgbAt(Left(), 10, 60), kRedPixel);
}

TEST_F(DrawingTest, PolygonOfOnePointIsThatPixelInThePenColour) {
    protocol::Polygon dot{};
    dot.pen = kRed;
    dot.brush = kGreen;
    dot.points[0] = {Px(30), Px(40)};
    dot.count = 1;
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, dot));
    EXPECT_TRUE(PixelsAre(&Left(), Inside(QRect(30, 40, 1, 1), kRedPixel)));
}

// --- flood fill ------------------------------------------------------------

TEST_F(DrawingTest, FillUpToABorderSpreadsOverEveryOtherColour) {
    const QRect frame(10, 10, 40, 30);
    // Inside the frame, a line already in the fill colour and a white pixel:
    // the fill must cross both.
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{protocol::kModeOutline},
                    protocol::Box{Px(10), Px(10), Px(40), Px(30), kRed},
                    protocol::Line{Px(30), Px(11), Px(30), Px(38), kGreen},
                    protocol::Plot{Px(40), Px(20), kWhite},
                    protocol::Fill{Px(20), Px(20), kRed, kGreen}));
    EXPECT_TRUE(PixelsAre(&Left(), [&frame](int x, int y) {
        if (!frame.contains(x, y)) {
            return kBlackPixel;
        }
        return frame.adjusted(1, 1, -1, -1).contains(x, y) ? kGreenPixel : kRedPixel;
    }));
}

TEST_F(DrawingTest, FillWithoutBorderColourTakesTheConnectedAreaOfTheStartColour) {
    const QRect frame(10, 10, 40, 30);
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{protocol::kModeOutline},
                    protocol::Box{Px(10), Px(10), Px(40), Px(30), kRed},
                    protocol::Fill{0, 0, protocol::kNoColour, kGreen}));
    EXPECT_TRUE(PixelsAre(&Left(), [&frame](int x, int y) {
        if (!frame.contains(x, y)) {
            return kGreenPixel;
        }
        return frame.adjusted(1, 1, -1, -1).contains(x, y) ? kBlackPixel : kRedPixel;
    }));

    // Filling an area with its own colour changes nothing and ends.
    const QImage before = Left().copy();
    ASSERT_TRUE(Run(protocol::Fill{0, 0, protocol::kNoColour, kGreen}));
    EXPECT_EQ(Left(), before);
}

TEST_F(DrawingTest, FillDoesNotLeakThroughTheDiagonalStepsOfACircle) {
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::DrawingMode{protocol::kModeOutline},
                    protocol::Circle{Px(50), Px(50), Px(30), kRed},
                    protocol::Fill{Px(50), Px(50), kRed, kGreen}));
    // The rim's own pixels lie between 29 and 31 from the centre.
    for (int y = 0; y < kUnit; ++y) {
        for (int x = 0; x < kUnit; ++x) {
            const int squared = (x - 50) * (x - 50) + (y - 50) * (y - 50);
            if (squared < 29 * 29) {
                ASSERT_EQ(RgbAt(Left(), x, y), kGreenPixel) << x << "," << y;
            } else if (squared > 31 * 31) {
                ASSERT_EQ(RgbAt(Left(), x, y), kBlackPixel) << x << "," << y;
            }
        }
    }
}

TEST_F(DrawingTest, FillStartingOutsideTheTargetChangesNothing) {
    for (const float x : {-0.01f, 1.0f}) {
        EXPECT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::Fill{x, 0.5f, kRed, kGreen}));
    }
    EXPECT_TRUE(PixelsAre(&Left(), Inside(QRect(), 0)));
}

// --- pictures --------------------------------------------------------------

TEST_F(DrawingTest, PictureBlendsByItsAlphaChannel) {
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(255, 0, 0, 128));
    picture.setPixel(2, 0, qRgba(0, 255, 0, 255));
    SavePicture(pictures_ / "alpha.png", picture);

    const Colour blue200 = 0x00C80000;
    ASSERT_TRUE(Run(protocol::LoadPicture{2, {"alpha.png"}}, protocol::BeginDrawing{-1},
                    protocol::Box{0, 0, 1, 1, blue200}, protocol::DrawImage{2, Px(10), Px(20)}));
    EXPECT_EQ(RgbAt(Left(), 10, 20), 0x0000C8u) << "transparent leaves the background";
    // Red 255 at alpha 128 over blue 200: red 128, blue 200 * 127 / 255 = 100.
    // Blending rounds by the processor's instruction set: one step either way.
    EXPECT_PRED3(quib::testing::RgbNear, RgbAt(Left(), 11, 20), 0x800064u, 1)
        << std::hex << RgbAt(Left(), 11, 20);
    EXPECT_EQ(RgbAt(Left(), 12, 20), kGreenPixel);
    EXPECT_EQ(RgbAt(Left(), 13, 20), 0x0000C8u);
}

TEST_F(DrawingTest, PictureWithoutAlphaIsCopiedOpaqueAndUnscaled) {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, 0xFF123456);
    picture.setPixel(1, 0, 0xFF000000);
    picture.setPixel(0, 1, 0xFFFFFFFF);
    picture.setPixel(1, 1, 0xFF00FF00);
    SavePicture(pictures_ / "opaque.png", picture);

    ASSERT_TRUE(Run(protocol::LoadPicture{5, {"opaque.png"}}, protocol::BeginDrawing{-1},
                    protocol::Box{0, 0, 1, 1, kRed}, protocol::DrawImage{5, Px(30), Px(40)}));
    EXPECT_EQ(screen_.SlotSize(5), QSize(2, 2));
    EXPECT_EQ(RgbAt(Left(), 30, 40), 0x123456u);
    EXPECT_EQ(RgbAt(Left(), 31, 40), kBlackPixel);
    EXPECT_EQ(RgbAt(Left(), 30, 41), kWhitePixel);
    EXPECT_EQ(RgbAt(Left(), 31, 41), kGreenPixel);
    EXPECT_EQ(RgbAt(Left(), 32, 41), kRedPixel);
}

TEST_F(DrawingTest, PictureIsScaledOnceWhenLoaded) {
    SavePicture(pictures_ / "big.png", Solid(480, 480, 0xFF3366CC));
    DrawingExecutor client(DrawingConfig{360, 360, pictures_, 0.75f});
    ASSERT_TRUE(RunFrame(client, protocol::LoadPicture{3, {"big.png"}}));
    EXPECT_EQ(client.SlotSize(3), QSize(360, 360));
    EXPECT_EQ(RgbAt(*client.Image(3 + 4), 180, 180), 0x3366CCu);
}

// The server's mirror: two executors at their own sizes share one cache, so
// a picture named again each round is decoded once; drawing on a loaded
// picture's slot changes that slot only, never the kept picture.
TEST_F(DrawingTest, ExecutorsSharingACacheDecodeOnceAndDrawOnTheirOwnCopies) {
    SavePicture(pictures_ / "figur0.png", Solid(96, 96, 0xFF3366CC));
    auto cache = std::make_shared<PictureCache>();
    DrawingExecutor own(DrawingConfig{480, 480, pictures_, 1.0f, cache});
    DrawingExecutor partner(DrawingConfig{170, 170, pictures_, 170.0f / 480.0f, cache});
    for (int round = 0; round < 3; ++round) {
        for (DrawingExecutor* screen : {&own, &partner}) {
            ASSERT_TRUE(RunFrame(*screen, protocol::LoadPicture{2, {"figur0.png"}},
                                 protocol::LoadPicture{3, {"figur0.png"}}));
        }
    }
    EXPECT_EQ(cache->Decodes(), 1u);
    EXPECT_EQ(own.SlotSize(2), QSize(96, 96));
    EXPECT_EQ(partner.SlotSize(2), QSize(34, 34));

    ASSERT_TRUE(RunFrame(own, protocol::BeginDrawing{2}, protocol::Box{0, 0, 1, 1, kRed},
                         protocol::EndDrawing{}, protocol::LoadPicture{4, {"figur0.png"}}));
    EXPECT_EQ(RgbAt(*own.Image(2 + 4), 48, 48), kRedPixel);
    EXPECT_EQ(RgbAt(*own.Image(3 + 4), 48, 48), 0x3366CCu);
    EXPECT_EQ(RgbAt(*own.Image(4 + 4), 48, 48), 0x3366CCu);
    EXPECT_EQ(cache->Decodes(), 1u);
}

TEST_F(DrawingTest, DrawingAnImageOntoItselfReadsTheUndrawnPixels) {
    ASSERT_TRUE(Run(protocol::CreateImage{0, 1, 1}, protocol::BeginDrawing{0},
                    protocol::Box{0, 0, Px(50), Px(10), kRed},
                    protocol::DrawImage{0, Px(25), Px(0)}));
    EXPECT_TRUE(PixelsAre(screen_.Image(kSlot0), Inside(QRect(0, 0, 75, 10), kRedPixel)));
}

struct LoadFailureCase {
    const char* name;
    std::function<void(const std::filesystem::path& file)> make;
};

void PrintTo(const LoadFailureCase& row, std::ostream* out) {
    *out << row.name;
}

class PictureLoadFailureTest : public DrawingTest,
                               public ::testing::WithParamInterface<LoadFailureCase> {};

TEST_P(PictureLoadFailureTest, FailsAndLeavesTheSlotEmpty) {
    SavePicture(pictures_ / "good.png", Solid(4, 4, 0xFFFFFFFF));
    GetParam().make(pictures_ / "bad.png");
    ASSERT_TRUE(Run(protocol::LoadPicture{2, {"good.png"}}));

    EXPECT_FALSE(Run(protocol::LoadPicture{2, {"bad.png"}}));
    EXPECT_EQ(screen_.SlotSize(2), QSize(0, 0));
    EXPECT_EQ(screen_.Image(2 + 4), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureLoadFailureTest,
    ::testing::Values(LoadFailureCase{"Missing", [](const std::filesystem::path&) {}},
                      LoadFailureCase{"NotAPng",
                                      [](const std::filesystem::path& file) {
                                          testing::WriteBytes(file, "\x89PNG but not really");
                                      }},
                      LoadFailureCase{
                          "WiderThanSixteenUnits",
                          [](const std::filesystem::path& file) {
                              ASSERT_TRUE(Solid(16 * kUnit + 1, 1, 0xFFFFFFFF)
                                              .save(QString::fromStdString(file.string()), "PNG"));
                          }}),
    testing::CaseName());

// --- slots and targets -----------------------------------------------------

TEST_F(DrawingTest, WithoutOpenTargetDrawingSucceedsAndChangesNothing) {
    SavePicture(pictures_ / "p.png", Solid(4, 4, 0xFFFFFFFF));
    ASSERT_TRUE(Run(protocol::LoadPicture{2, {"p.png"}}));
    const auto drawEverything = [this] {
        return Run(protocol::DrawImage{2, 0, 0}, protocol::FrontColour{kRed},
                   protocol::BackColour{kRed}, protocol::DrawingMode{protocol::kModeOutline},
                   protocol::Plot{0, 0, kRed}, protocol::Line{0, 0, 1, 1, kRed},
                   protocol::Box{0, 0, 1, 1, kRed}, protocol::Circle{0.5f, 0.5f, 0.5f, kRed},
                   protocol::Ellipse{0.5f, 0.5f, 0.5f, 0.2f, kRed},
                   protocol::Fill{0, 0, protocol::kNoColour, kRed}, StarPolygon());
    };
    EXPECT_TRUE(drawEverything()) << "before any target";
    EXPECT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::EndDrawing{}));
    EXPECT_TRUE(drawEverything()) << "after the target was closed";
    for (const int index : {kLeftFront, kLeftBack, kRightFront, kRightBack}) {
        EXPECT_TRUE(PixelsAre(screen_.Image(index), Inside(QRect(), 0))) << index;
    }
}

TEST_F(DrawingTest, BeginDrawingWhileOpenSwitchesTarget) {
    ASSERT_TRUE(Run(protocol::BeginDrawing{-1}, protocol::BeginDrawing{-2},
                    protocol::Box{0, 0, 1, 1, kRed}));
    EXPECT_TRUE(PixelsAre(screen_.Image(kLeftBack), Inside(QRect(), 0)));
    EXPECT_TRUE(PixelsAre(screen_.Image(kRightBack), Inside(QRect(0, 0, kUnit, kUnit), kRedPixel)));
}

TEST_F(DrawingTest, TargetFollowsItsSlotWhenTheImageIsFreedOrReplaced) {
    ASSERT_TRUE(Run(protocol::CreateImage{0, 0.5f, 0.5f}, protocol::BeginDrawing{0},
                    protocol::FreeImage{0}, protocol::Box{0, 0, 1, 1, kRed}));
    EXPECT_EQ(screen_.SlotSize(0), QSize(0, 0));

    ASSERT_TRUE(Run(protocol::CreateImage{0, 0.25f, 0.75f}, protocol::Plot{0, 0, kRed}));
    EXPECT_EQ(screen_.SlotSize(0), QSize(25, 75));
    EXPECT_TRUE(PixelsAre(screen_.Image(kSlot0), Inside(QRect(0, 0, 1, 1), kRedPixel)));
}

TEST_F(DrawingTest, SlotsNameTheStoreImages) {
    // Slots -3 and -4 count up from the front images like any other slot.
    ASSERT_TRUE(Run(protocol::BeginDrawing{-4}, protocol::Plot{0, 0, kRed},
                    protocol::BeginDrawing{-3}, protocol::Plot{Px(1), 0, kRed},
                    protocol::BeginDrawing{-2}, protocol::Plot{Px(2), 0, kRed},
                    protocol::CreateImage{127, 0.5f, 0.25f}));
    EXPECT_EQ(RgbAt(*screen_.Image(kLeftFront), 0, 0), kRedPixel);
    EXPECT_EQ(RgbAt(*screen_.Image(kLeftBack), 1, 0), kRedPixel);
    EXPECT_EQ(RgbAt(*screen_.Image(kRightBack), 2, 0), kRedPixel);
    EXPECT_EQ(screen_.SlotSize(-1), QSize(kUnit, kUnit));
    EXPECT_EQ(screen_.SlotSize(127), QSize(50, 25));
    ASSERT_NE(screen_.Image(131), nullptr);
    EXPECT_EQ(screen_.Image(131)->size(), QSize(50, 25));
    EXPECT_EQ(screen_.SlotSize(-5), QSize(0, 0));
}

TEST(DrawingBudget, AllImagesTogetherStayWithinTwoOfTheLargest) {
    DrawingExecutor screen(DrawingConfig{10, 10, {}, 1.0f});
    const auto largest = [](std::int8_t slot) { return protocol::CreateImage{slot, 16, 16}; };
    ASSERT_TRUE(RunFrame(screen, largest(0), largest(1)));
    EXPECT_FALSE(RunFrame(screen, protocol::CreateImage{2, 0.1f, 0.1f}));
    EXPECT_TRUE(RunFrame(screen, largest(1))) << "replacing releases the old image";
    EXPECT_TRUE(RunFrame(screen, protocol::FreeImage{1}, protocol::CreateImage{2, 0.1f, 0.1f}));
}

// --- messages that fail ----------------------------------------------------

struct RejectedCase {
    const char* name;
    RawMessage message;
};

void PrintTo(const RejectedCase& row, std::ostream* out) {
    *out << row.name;
}

template <typename M>
RejectedCase Rejected(const char* name, const M& message) {
    return {name, RawMessage{static_cast<std::uint8_t>(M::kType), BodyOf(message)}};
}

template <typename M>
RejectedCase Short(const char* name, const M& message) {
    return {name, RawMessage{static_cast<std::uint8_t>(M::kType), Shortened(BodyOf(message))}};
}

std::vector<RejectedCase> RejectedCases() {
    protocol::Polygon nanCorner = StarPolygon();
    nanCorner.points[3].y = kNan;
    return {
        {"UnlistedType202", RawMessage{202, {}}},
        {"UnlistedType253", RawMessage{253, {1, 2, 3, 4}}},
        {"TextMessageIsNoDrawing", RawMessage{33, BodyOf(protocol::LeftText{kRed, {"x"}})}},
        Short("ShortBeginDrawing", protocol::BeginDrawing{0}),
        Short("ShortCreateImage", protocol::CreateImage{0, 1, 1}),
        Short("ShortLoadPicture", protocol::LoadPicture{2, {""}}),
        Short("ShortFreeImage", protocol::FreeImage{0}),
        Short("ShortDrawImage", protocol::DrawImage{0, 0, 0}),
        Short("ShortFrontColour", protocol::FrontColour{kRed}),
        Short("ShortBackColour", protocol::BackColour{kRed}),
        Short("ShortDrawingMode", protocol::DrawingMode{0}),
        Short("ShortPlot", protocol::Plot{0, 0, kRed}),
        Short("ShortLine", protocol::Line{0, 0, 1, 1, kRed}),
        Short("ShortBox", protocol::Box{0, 0, 1, 1, kRed}),
        Short("ShortCircle", protocol::Circle{0.5f, 0.5f, 0.2f, kRed}),
        Short("ShortEllipse", protocol::Ellipse{0.5f, 0.5f, 0.2f, 0.1f, kRed}),
        Short("ShortFill", protocol::Fill{0, 0, kRed, kGreen}),
        Short("PolygonWithAPartialPoint", StarPolygon()),
        {"PolygonWithoutPoints", RawMessage{230, TriangleBody(0)}},
        Rejected("BoxCornerNotANumber", protocol::Box{kNan, 0, 1, 1, kRed}),
        Rejected("BoxWidthInfinite", protocol::Box{0, 0, kInfinity, 1, kRed}),
        Rejected("LineEndNotANumber", protocol::Line{0, 0, 1, kNan, kRed}),
        Rejected("PlotFarBeyondThePicture", protocol::Plot{65, 0, kRed}),
        Rejected("CircleRadiusNotANumber", protocol::Circle{0.5f, 0.5f, kNan, kRed}),
        Rejected("EllipseRadiusInfinite", protocol::Ellipse{0.5f, 0.5f, 0.2f, -kInfinity, kRed}),
        Rejected("FillStartNotANumber", protocol::Fill{kNan, 0, kRed, kGreen}),
        Rejected("DrawImageAtInfinity", protocol::DrawImage{2, kInfinity, 0}),
        Rejected("PolygonCornerNotANumber", nanCorner),
        Rejected("ImageWidthNotANumber", protocol::CreateImage{0, kNan, 1}),
        Rejected("ImageSeventeenUnitsWide", protocol::CreateImage{0, 17, 1}),
        Rejected("ImageSeventeenUnitsHigh", protocol::CreateImage{0, 1, 17}),
        Rejected("ImageOfZeroWidth", protocol::CreateImage{0, 0, 1}),
        Rejected("ImageOfNegativeHeight", protocol::CreateImage{0, 1, -0.5f}),
        Rejected("ImageRoundingToNoPixel", protocol::CreateImage{0, 0.004f, 1}),
        Rejected("BeginDrawingSlotMinus5", protocol::BeginDrawing{-5}),
        Rejected("CreateImageSlotMinus5", protocol::CreateImage{-5, 1, 1}),
        Rejected("LoadPictureSlotMinus5", protocol::LoadPicture{-5, {"good.png"}}),
        Rejected("FreeImageSlotMinus5", protocol::FreeImage{-5}),
        Rejected("DrawImageSlotMinus5", protocol::DrawImage{-5, 0, 0}),
        Rejected("FreeLeftBackBuffer", protocol::FreeImage{-1}),
        Rejected("FreeLeftFrontImage", protocol::FreeImage{-4}),
        Rejected("DrawingModeThree", protocol::DrawingMode{3}),
        Rejected("PictureNameClimbsOut", protocol::LoadPicture{2, {"../outside.png"}}),
        Rejected("PictureNameWithSlash", protocol::LoadPicture{2, {"sub/inner.png"}}),
        Rejected("PictureNameWithBackslash", protocol::LoadPicture{2, {"sub\\inner.png"}}),
        Rejected("EmptyPictureName", protocol::LoadPicture{2, {""}}),
    };
}

class RejectedMessageTest : public DrawingTest, public ::testing::WithParamInterface<RejectedCase> {
  protected:
    // Pictures that a name escaping the folder would reach, larger than the
    // one in slot 2, so loading any of them would show.
    void SaveDecoys() {
        const QImage decoy = Solid(8, 8, 0xFF00FF00);
        std::filesystem::create_directory(pictures_ / "sub");
        SavePicture(scratch_.path() / "outside.png", decoy);
        SavePicture(pictures_ / "sub" / "inner.png", decoy);
        SavePicture(pictures_ / "sub\\inner.png", decoy);
    }

    std::vector<QImage> Snapshot() const {
        std::vector<QImage> images;
        for (int index = 0; index < ImageStore::kCapacity; ++index) {
            const QImage* image = screen_.Image(index);
            images.push_back(image ? image->copy() : QImage());
        }
        return images;
    }
};

TEST_P(RejectedMessageTest, FailsWithoutChangingAnything) {
    SaveDecoys();
    SavePicture(pictures_ / "good.png", Solid(4, 4, 0xFFFFFFFF));
    ASSERT_TRUE(Run(protocol::LoadPicture{2, {"good.png"}}, protocol::CreateImage{0, 0.5f, 0.5f},
                    protocol::BeginDrawing{-1}, protocol::Box{0, 0, 0.5f, 0.5f, kRed}));
    const std::vector<QImage> before = Snapshot();

    EXPECT_FALSE(Run(GetParam().message));
    EXPECT_TRUE(Snapshot() == before);
    // The left back buffer is still the open target, in filled mode.
    ASSERT_TRUE(Run(protocol::Circle{Px(75), Px(75), Px(3), kGreen}));
    EXPECT_EQ(RgbAt(Left(), 75, 75), kGreenPixel);
}

INSTANTIATE_TEST_SUITE_P(Messages, RejectedMessageTest, ::testing::ValuesIn(RejectedCases()),
                         testing::CaseName());

// --- the work one frame may cause --------------------------------------------

template <typename M>
RawMessage Raw(const M& message) {
    return RawMessage{static_cast<std::uint8_t>(M::kType), BodyOf(message)};
}

using Messages = std::vector<RawMessage>;

bool RunMessages(DrawingExecutor& screen, const Messages& messages) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    for (const RawMessage& message : messages) {
        EXPECT_TRUE(Append(*buffer, message)) << "frame too large";
    }
    screen.StartFrame();
    return protocol::ExecuteFrame(buffer->FinishFrame(),
                                  [&screen](std::uint8_t type, std::span<const std::uint8_t> body) {
                                      return screen.Execute(type, body);
                                  });
}

Messages Repeated(const Messages& group, int times) {
    Messages messages;
    for (int i = 0; i < times; ++i) {
        messages.insert(messages.end(), group.begin(), group.end());
    }
    return messages;
}

protocol::Polygon TriangleOverSlot0() {
    protocol::Polygon polygon{};
    polygon.pen = kRed;
    polygon.brush = kGreen;
    polygon.points[0] = {0, 0};
    polygon.points[1] = {4, 0};
    polygon.points[2] = {0, 4};
    polygon.count = 3;
    return polygon;
}

// A frame of `times` x `group`, each group well within the frame's work on
// its own, together beyond it. Slot 0 holds a 4 x 4 unit image (a quarter of
// the frame's work of 64 fields) and is the open target.
struct HeavyFrameCase {
    const char* name;
    Messages group;
    int times;
};

void PrintTo(const HeavyFrameCase& row, std::ostream* out) {
    *out << row.name;
}

std::vector<HeavyFrameCase> HeavyFrameCases() {
    return {
        {"FillsOfTheWholeImage", {Raw(protocol::Fill{1, 1, kRed, protocol::kNoColour})}, 5},
        {"BoxesOverTheImage", {Raw(protocol::Box{0, 0, 4, 4, kRed})}, 5},
        {"XorEllipsesOverTheImage",
         {Raw(protocol::DrawingMode{protocol::kModeXor}), Raw(protocol::Ellipse{2, 2, 2, 2, kRed})},
         5},
        {"CirclesReachingFarBeyondTheImage", {Raw(protocol::Circle{2, 2, 60, kRed})}, 5},
        {"PolygonsOverTheImage", {Raw(TriangleOverSlot0())}, 5},
        {"ImageDrawnOntoItself", {Raw(protocol::DrawImage{0, 0.5f, 0.5f})}, 5},
        {"LinesAcrossTheImage", {Raw(protocol::Line{0, 0, 4, 4, kRed})}, 1700},
        {"ImagesCreated", {Raw(protocol::CreateImage{1, 4, 4})}, 5},
        {"PicturesLoaded", {Raw(protocol::LoadPicture{1, {"large.png"}})}, 5},
        // Each present copies what was drawn on the back buffer: 50 boxes
        // over the view alone stay within the frame's work, presented after
        // each they do not.
        {"ViewsDrawnWholeAndPresented",
         {Raw(protocol::BeginDrawing{-1}), Raw(protocol::Box{0, 0, 1, 1, kRed}),
          Raw(protocol::Present{})},
         50},
    };
}

class HeavyFrameTest : public DrawingTest, public ::testing::WithParamInterface<HeavyFrameCase> {
  protected:
    void SetUp() override {
        SavePicture(pictures_ / "large.png", Solid(4 * kUnit, 4 * kUnit, 0xFFFFFFFF));
        ASSERT_TRUE(RunMessages(
            bounded_, {Raw(protocol::CreateImage{0, 4, 4}), Raw(protocol::BeginDrawing{0})}));
    }

    DrawingExecutor bounded_{DrawingConfig{kUnit, kUnit, pictures_, 1.0f}, 64};
};

TEST_P(HeavyFrameTest, FailsAsOneFrameButNotSpreadOverFrames) {
    const HeavyFrameCase& row = GetParam();
    EXPECT_FALSE(RunMessages(bounded_, Repeated(row.group, row.times)));
    for (int i = 0; i < row.times; ++i) {
        ASSERT_TRUE(RunMessages(bounded_, row.group)) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, HeavyFrameTest, ::testing::ValuesIn(HeavyFrameCases()),
                         testing::CaseName());

TEST_F(DrawingTest, WithoutAFrameWorkLimitTheHeaviestFrameIsDrawn) {
    const Messages fills = Repeated({Raw(protocol::Fill{1, 1, kRed, protocol::kNoColour})}, 5);
    Messages frame = {Raw(protocol::CreateImage{0, 4, 4}), Raw(protocol::BeginDrawing{0})};
    frame.insert(frame.end(), fills.begin(), fills.end());
    EXPECT_TRUE(RunMessages(screen_, frame));
}

// --- what a present changes ---------------------------------------------------

// The smallest rectangle holding every pixel whose colour differs.
QRect DifferenceBounds(const QImage& before, const QImage& after) {
    QRect bounds;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (RgbAt(before, x, y) != RgbAt(after, x, y)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// What a present must leave on a front image: the back buffer wherever it
// lies, the front image as it was before the present elsewhere.
::testing::AssertionResult PresentedCorrectly(const QImage& front, const QImage& back,
                                              const QImage& frontBefore) {
    return PixelsAre(&front, [&](int x, int y) {
        return back.rect().contains(x, y) ? RgbAt(back, x, y) : RgbAt(frontBefore, x, y);
    });
}

struct PresentedAreaCase {
    const char* name;
    Messages drawing;  // drawn after both views were presented red and green
    QRect left;        // what the present then changes on each front image
    QRect right;
};

void PrintTo(const PresentedAreaCase& row, std::ostream* out) {
    *out << row.name;
}

std::vector<PresentedAreaCase> PresentedAreaCases() {
    protocol::Polygon triangle{};
    triangle.pen = kWhite;
    triangle.brush = kGreen;
    triangle.points[0] = {Px(20), Px(30)};
    triangle.points[1] = {Px(60), Px(35)};
    triangle.points[2] = {Px(40), Px(70)};
    triangle.count = 3;
    return {
        {"NothingDrawn", {Raw(protocol::EndDrawing{})}, {}, {}},
        {"TwoDistantSpots",
         {Raw(protocol::BeginDrawing{-1}), Raw(protocol::Plot{Px(5), Px(5), kGreen}),
          Raw(protocol::Box{Px(80), Px(80), Px(10), Px(10), kWhite})},
         QRect(QPoint(5, 5), QPoint(89, 89)),
         {}},
        {"LineUpwards",
         {Raw(protocol::BeginDrawing{-1}),
          Raw(protocol::Line{Px(10), Px(90), Px(40), Px(20), kWhite})},
         QRect(QPoint(10, 20), QPoint(40, 90)),
         {}},
        {"OutlinedCircle",
         {Raw(protocol::BeginDrawing{-1}), Raw(protocol::DrawingMode{protocol::kModeOutline}),
          Raw(protocol::Circle{Px(50), Px(40), Px(12), kWhite})},
         QRect(QPoint(38, 28), QPoint(62, 52)),
         {}},
        {"XorEllipseOverTheEdge",
         {Raw(protocol::BeginDrawing{-1}), Raw(protocol::DrawingMode{protocol::kModeXor}),
          Raw(protocol::Ellipse{Px(95), Px(50), Px(10), Px(4), kWhite})},
         QRect(QPoint(85, 46), QPoint(99, 54)),
         {}},
        {"Polygon", {Raw(protocol::BeginDrawing{-1}), Raw(triangle)}, QRect(20, 30, 41, 41), {}},
        {"FillOfTheWholeView",
         {Raw(protocol::BeginDrawing{-1}),
          Raw(protocol::Fill{Px(1), Px(1), kWhite, protocol::kNoColour})},
         QRect(0, 0, kUnit, kUnit),
         {}},
        {"PictureHalfOutside",
         {Raw(protocol::CreateImage{0, Px(30), Px(20)}), Raw(protocol::BeginDrawing{0}),
          Raw(protocol::Box{0, 0, 1, 1, kWhite}), Raw(protocol::BeginDrawing{-1}),
          Raw(protocol::DrawImage{0, Px(85), Px(-5)})},
         QRect(QPoint(85, 0), QPoint(99, 14)),
         {}},
        {"OnlyThePartnerView",
         {Raw(protocol::BeginDrawing{-2}), Raw(protocol::Box{Px(30), Px(40), Px(5), Px(6), kRed})},
         {},
         QRect(30, 40, 5, 6)},
        // A smaller back buffer is presented over the front image's top left
        // corner; the rest keeps what was drawn on the front image itself.
        {"SmallerBackBufferAndDrawingOnTheFrontImage",
         {Raw(protocol::CreateImage{-1, Px(50), Px(40)}), Raw(protocol::BeginDrawing{-4}),
          Raw(protocol::Box{Px(70), Px(80), Px(10), Px(10), kWhite})},
         QRect(QPoint(0, 0), QPoint(79, 89)),
         {}},
    };
}

class PresentedAreaTest : public DrawingTest,
                          public ::testing::WithParamInterface<PresentedAreaCase> {};

TEST_P(PresentedAreaTest, HoldsEveryChangedPixelAndTheFrontImagesShowTheBackBuffers) {
    const PresentedAreaCase& row = GetParam();
    ASSERT_TRUE(
        RunMessages(screen_, {Raw(protocol::BeginDrawing{-1}), Raw(protocol::Box{0, 0, 1, 1, kRed}),
                              Raw(protocol::BeginDrawing{-2}),
                              Raw(protocol::Box{0, 0, 1, 1, kGreen}), Raw(protocol::Present{})}));
    const std::array<QImage, 2> shown = {screen_.Image(kLeftFront)->copy(),
                                         screen_.Image(kRightFront)->copy()};
    ASSERT_TRUE(RunMessages(screen_, row.drawing));
    const std::array<QImage, 2> beforePresent = {screen_.Image(kLeftFront)->copy(),
                                                 screen_.Image(kRightFront)->copy()};
    ASSERT_TRUE(RunMessages(screen_, {Raw(protocol::Present{})}));

    const std::array<int, 2> fronts = {kLeftFront, kRightFront};
    const std::array<int, 2> backs = {kLeftBack, kRightBack};
    const std::array<QRect, 2> expected = {row.left, row.right};
    for (std::size_t side = 0; side < 2; ++side) {
        SCOPED_TRACE(side == 0 ? "left" : "right");
        const QImage& front = *screen_.Image(fronts[side]);
        EXPECT_TRUE(PresentedCorrectly(front, *screen_.Image(backs[side]), beforePresent[side]));
        EXPECT_EQ(DifferenceBounds(shown[side], front), expected[side]) << "the case's drawing";
        EXPECT_EQ(screen_.PresentedArea(fronts[side]), expected[side]);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, PresentedAreaTest, ::testing::ValuesIn(PresentedAreaCases()),
                         testing::CaseName());

// The game's common frame: each view starts from its whole board picture and
// the figure is drawn over it. Across a walk there and back, jumps included,
// every present must show exactly the board with the figure at its place.
TEST_F(DrawingTest, MovingFigureIsShownAsAWholeRedrawWouldShowIt) {
    QImage figure(24, 18, QImage::Format_ARGB32);
    figure.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < figure.height(); ++y) {
        for (int x = 0; x < figure.width(); ++x) {
            if ((x - 12) * (x - 12) + (y - 9) * (y - 9) < 70) {
                figure.setPixel(x, y, qRgba(200, 40, 160, x < 12 ? 255 : 120));
            }
        }
    }
    SavePicture(pictures_ / "figur0.png", figure);
    ASSERT_TRUE(RunMessages(
        screen_,
        {Raw(protocol::CreateImage{0, 1, 1}), Raw(protocol::BeginDrawing{0}),
         Raw(protocol::Box{0, 0, 1, 1, kWhite}), Raw(protocol::Box{0, 0, Px(50), Px(50), kRed}),
         Raw(protocol::Line{Px(50), 0, Px(50), 1, kGreen}), Raw(protocol::EndDrawing{}),
         Raw(protocol::LoadPicture{2, {"figur0.png"}})}));
    const QImage board = screen_.Image(kSlot0)->copy();
    const QImage loaded = screen_.Image(kSlot0 + 2)->copy();

    std::vector<QPoint> walk;
    for (int x = -10; x <= 90; x += 3) {
        walk.emplace_back(x, 40);
    }
    for (int x = 90; x >= 0; x -= 7) {
        walk.emplace_back(x, 45 + x / 10);
    }
    walk.emplace_back(5, 5);
    walk.emplace_back(80, 85);  // a jump across the view
    walk.emplace_back(80, 85);  // and standing still
    QImage previous = screen_.Image(kLeftFront)->copy();
    std::optional<QRect> figureBefore;
    for (const QPoint& at : walk) {
        SCOPED_TRACE(::testing::Message() << "figure at " << at.x() << "," << at.y());
        ASSERT_TRUE(RunMessages(screen_,
                                {Raw(protocol::BeginDrawing{-1}), Raw(protocol::DrawImage{0, 0, 0}),
                                 Raw(protocol::DrawImage{2, Px(at.x()), Px(at.y())}),
                                 Raw(protocol::EndDrawing{}), Raw(protocol::Present{})}));
        QImage expected = board.copy();
        DrawImageOver(expected, loaded, at);
        const QImage& front = *screen_.Image(kLeftFront);
        ASSERT_TRUE(PixelsAre(&front, [&](int x, int y) { return RgbAt(expected, x, y); }));
        const QRect changed = DifferenceBounds(previous, front);
        EXPECT_EQ(changed.intersected(screen_.PresentedArea(kLeftFront)), changed)
            << "a changed pixel outside the presented area";
        // The view gets back from the board only where the figure stood, so
        // the present changes no more than where it stood and stands.
        const QRect figureNow = QRect(at, loaded.size()).intersected(board.rect());
        if (figureBefore) {
            EXPECT_EQ(screen_.PresentedArea(kLeftFront), *figureBefore | figureNow);
        }
        figureBefore = figureNow;
        previous = front.copy();
    }
}

// Frames that cover a view (or any image) whole with a picture and draw over
// it, with what may make the covered image no longer a copy of the picture
// but for what was drawn over it. Each runs on a screen that covers as the
// game's frames do, and on one that first paints the covered image over
// whole, so that it can only cover by copying the whole picture; the two
// must hold the same pixels in every image after every frame.
RawMessage Cover(std::int8_t slot) {
    // Type 0 is no message: the runner makes it message 220 at (0, 0).
    return RawMessage{0, {static_cast<std::uint8_t>(slot)}};
}

Messages Expanded(const Messages& frame, bool paintOverFirst) {
    Messages messages;
    for (const RawMessage& message : frame) {
        if (message.type != 0) {
            messages.push_back(message);
            continue;
        }
        if (paintOverFirst) {
            messages.push_back(Raw(protocol::Box{0, 0, 16, 16, 0x00808080}));
        }
        messages.push_back(
            Raw(protocol::DrawImage{static_cast<std::int8_t>(message.body[0]), 0, 0}));
    }
    return messages;
}

struct CoverCase {
    const char* name;
    std::vector<Messages> frames;
};

void PrintTo(const CoverCase& row, std::ostream* out) {
    *out << row.name;
}

RawMessage FigureAt(int x, int y) {
    return Raw(protocol::DrawImage{2, Px(x), Px(y)});
}

// Slot 0 and slot 1: two boards; slot 2: the figure.
Messages Boards() {
    return {Raw(protocol::CreateImage{0, 1, 1}),
            Raw(protocol::BeginDrawing{0}),
            Raw(protocol::Box{0, 0, 1, 1, kWhite}),
            Raw(protocol::Box{0, 0, Px(50), Px(50), kRed}),
            Raw(protocol::CreateImage{1, 1, 1}),
            Raw(protocol::BeginDrawing{1}),
            Raw(protocol::Box{0, Px(50), 1, Px(50), kGreen}),
            Raw(protocol::CreateImage{2, Px(20), Px(20)}),
            Raw(protocol::BeginDrawing{2}),
            Raw(protocol::Circle{Px(10), Px(10), Px(8), kGreen}),
            Raw(protocol::EndDrawing{})};
}

Messages ViewFrame(std::int8_t board, int x, int y) {
    return {Raw(protocol::BeginDrawing{-1}), Cover(board), FigureAt(x, y),
            Raw(protocol::EndDrawing{}), Raw(protocol::Present{})};
}

std::vector<CoverCase> CoverCases() {
    const Messages redrawn = {Raw(protocol::BeginDrawing{0}),
                              Raw(protocol::Box{Px(70), Px(10), Px(20), Px(20), kGreen})};
    Messages boardRedrawn = redrawn;
    for (const RawMessage& m : ViewFrame(0, 40, 40)) {
        boardRedrawn.push_back(m);
    }
    Messages boardReplaced = {Raw(protocol::CreateImage{0, 1, 1})};
    for (const RawMessage& m : ViewFrame(0, 40, 40)) {
        boardReplaced.push_back(m);
    }
    Messages backBufferReplaced = {Raw(protocol::CreateImage{-1, 1, 1})};
    for (const RawMessage& m : ViewFrame(0, 40, 40)) {
        backBufferReplaced.push_back(m);
    }
    return {
        {"FigureWalks",
         {Boards(), ViewFrame(0, 10, 10), ViewFrame(0, 14, 12), ViewFrame(0, 18, 14),
          ViewFrame(0, 70, 70), ViewFrame(0, 70, 70)}},
        {"BoardDrawnOnBetweenFrames", {Boards(), ViewFrame(0, 10, 10), boardRedrawn}},
        {"BoardDrawnOnOnceCovered",
         {Boards(),
          ViewFrame(0, 10, 10),
          {Raw(protocol::BeginDrawing{-1}), Cover(0), Raw(protocol::BeginDrawing{0}),
           Raw(protocol::Box{Px(60), Px(60), Px(30), Px(30), kGreen}),
           Raw(protocol::BeginDrawing{-1}), FigureAt(12, 10), Raw(protocol::Present{})},
          ViewFrame(0, 14, 10)}},
        {"BoardReplaced", {Boards(), ViewFrame(0, 10, 10), boardReplaced}},
        {"BoardFreedAndMadeAgain",
         {Boards(),
          ViewFrame(0, 10, 10),
          {Raw(protocol::FreeImage{0}), Raw(protocol::CreateImage{0, 1, 1}),
           Raw(protocol::BeginDrawing{0}), Raw(protocol::Box{0, 0, 1, 1, kRed})},
          ViewFrame(0, 12, 10)}},
        {"ViewDrawnOnBesideTheFigure",
         {Boards(),
          {Raw(protocol::BeginDrawing{-1}), Cover(0), FigureAt(10, 10),
           Raw(protocol::Line{Px(0), Px(99), Px(99), Px(60), kGreen}), Raw(protocol::Present{})},
          ViewFrame(0, 12, 10)}},
        {"CoveredWithTheOtherBoardAndBack",
         {Boards(), ViewFrame(0, 10, 10), ViewFrame(1, 12, 10), ViewFrame(0, 14, 10)}},
        {"BackBufferReplaced", {Boards(), ViewFrame(0, 10, 10), backBufferReplaced}},
        {"ShownImageAsTheBoard",
         {Boards(),
          ViewFrame(0, 10, 10),
          {Raw(protocol::CreateImage{5, 1, 1}), Raw(protocol::BeginDrawing{5}), Cover(-4),
           Raw(protocol::BeginDrawing{-1}), FigureAt(60, 60), Raw(protocol::Present{})},
          {Raw(protocol::BeginDrawing{5}), Cover(-4)}}},
    };
}

class CoverTest : public DrawingTest, public ::testing::WithParamInterface<CoverCase> {};

TEST_P(CoverTest, LeavesTheImagesAsCoveringByAWholeCopyWould) {
    DrawingExecutor wholeCopies{DrawingConfig{kUnit, kUnit, pictures_, 1.0f}};
    const std::vector<Messages>& frames = GetParam().frames;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE(::testing::Message() << "frame " << f);
        ASSERT_TRUE(RunMessages(screen_, Expanded(frames[f], false)));
        ASSERT_TRUE(RunMessages(wholeCopies, Expanded(frames[f], true)));
        for (int index = 0; index < ImageStore::kCapacity; ++index) {
            const QImage* image = screen_.Image(index);
            const QImage* expected = wholeCopies.Image(index);
            ASSERT_EQ(image == nullptr, expected == nullptr) << "index " << index;
            if (image != nullptr) {
                ASSERT_TRUE(PixelsAre(image, [&](int x, int y) { return RgbAt(*expected, x, y); }))
                    << "index " << index;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, CoverTest, ::testing::ValuesIn(CoverCases()), testing::CaseName());

}  // namespace
}  // namespace quib
