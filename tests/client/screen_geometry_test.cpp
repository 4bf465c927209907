#include "client/screen_geometry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/support/case_name.h"

namespace quib::client {

void PrintTo(const FieldRect& r, std::ostream* os) {
    *os << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}

namespace {

struct GeometryCase {
    std::string name;
    int baseHight;
    int baseFontSize;
    int innerWidth;
    int innerHeight;
    int unit;
    int windowWidth;
    FieldRect leftPicture;
    FieldRect rightPicture;
    FieldRect leftText;
    FieldRect rightText;
};

void PrintTo(const GeometryCase& row, std::ostream* os) {
    *os << row.name;
}

class ScreenGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(ScreenGeometryTest, PlacesTheWindowAndItsFourFields) {
    const GeometryCase& c = GetParam();
    const ScreenGeometry g =
        ComputeScreenGeometry(c.baseHight, c.baseFontSize, c.innerWidth, c.innerHeight);
    EXPECT_EQ(g.unit, c.unit);
    EXPECT_EQ(g.windowWidth, c.windowWidth);
    EXPECT_EQ(g.windowHeight, c.baseHight);
    EXPECT_EQ(g.leftPicture, c.leftPicture);
    EXPECT_EQ(g.rightPicture, c.rightPicture);
    EXPECT_EQ(g.leftText, c.leftText);
    EXPECT_EQ(g.rightText, c.rightText);
}

// Expected values worked out by hand from the design lengths; the comments
// name the halves that decide the rounding.
INSTANTIATE_TEST_SUITE_P(Layouts, ScreenGeometryTest,
                         ::testing::Values(
                             // F 0.75: 16.5 -> 16, 391.5 -> 392, 445.5 -> 446, 469.5 -> 470.
                             GeometryCase{"Default450",
                                          450,
                                          12,
                                          768,
                                          450,
                                          360,
                                          768,
                                          {16, 15, 360, 360},
                                          {392, 15, 360, 360},
                                          {16, 386, 446, 47},
                                          {470, 386, 285, 47}},
                             // Odd inner sizes are halved downwards first: the same as 768 x 450.
                             GeometryCase{"OddInnerSizeHalvesDown",
                                          450,
                                          12,
                                          769,
                                          451,
                                          360,
                                          768,
                                          {16, 15, 360, 360},
                                          {392, 15, 360, 360},
                                          {16, 386, 446, 47},
                                          {470, 386, 285, 47}},
                             // F 1: the design lengths themselves.
                             GeometryCase{"Design600",
                                          600,
                                          10,
                                          1024,
                                          600,
                                          480,
                                          1024,
                                          {22, 20, 480, 480},
                                          {522, 20, 480, 480},
                                          {22, 515, 594, 39},
                                          {626, 515, 380, 39}},
                             // F 0.5: text top 150 + 107.5 = 257.5 -> 258.
                             GeometryCase{"Half300",
                                          300,
                                          8,
                                          512,
                                          300,
                                          240,
                                          512,
                                          {11, 10, 240, 240},
                                          {261, 10, 240, 240},
                                          {11, 258, 297, 31},
                                          {313, 258, 190, 31}},
                             // A maximised window centres the fields: 592.5 -> 592, 967.5 -> 968,
                             // 701.25 -> 701, 1045.5 -> 1046.
                             GeometryCase{"Maximised1920x1080",
                                          450,
                                          12,
                                          1920,
                                          1080,
                                          360,
                                          768,
                                          {592, 330, 360, 360},
                                          {968, 330, 360, 360},
                                          {592, 701, 446, 47},
                                          {1046, 701, 285, 47}},
                             // F 1.28: U 614.4 -> 614, window 1310.72 -> 1311.
                             GeometryCase{"Tall768",
                                          768,
                                          14,
                                          1311,
                                          768,
                                          614,
                                          1311,
                                          {28, 26, 614, 614},
                                          {668, 26, 614, 614},
                                          {28, 659, 760, 55},
                                          {801, 659, 486, 55}}),
                         testing::CaseName());

}  // namespace
}  // namespace quib::client
