#include "server/engine/connection_graph.h"

#include <gtest/gtest.h>

#include "tests/server/engine/graph_bars.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::BarHeight;

constexpr int kRight = quib::testing::kRightmostColumn;
const QRgb kBlack = qRgb(0, 0, 0);

TEST(ConnectionGraph, StartsBlackAt660By20) {
    const ConnectionGraph graph;
    ASSERT_EQ(graph.image().size(), QSize(660, 20));
    for (int y = 0; y < ConnectionGraph::kHeight; ++y) {
        for (int x = 0; x < ConnectionGraph::kWidth; ++x) {
            ASSERT_EQ(graph.image().pixel(x, y), kBlack) << x << "," << y;
        }
    }
}

struct ColumnCase {
    const char* name;
    int height;
    Colour colour;  // 0x00BBGGRR
    QRgb expected;
    int expectedHeight;
};

class ConnectionGraphColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ConnectionGraphColumn, StandsOnTheBottomEdgeOfTheRightmostColumn) {
    const ColumnCase& c = GetParam();
    ConnectionGraph graph;
    graph.AddColumn(c.height, c.colour);
    EXPECT_EQ(BarHeight(graph.image(), kRight, c.expected), c.expectedHeight);
    EXPECT_EQ(BarHeight(graph.image(), kRight - 1, c.expected), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, ConnectionGraphColumn,
    ::testing::Values(ColumnCase{"GreenEight", 8, Rgb(0, 255, 0), qRgb(0, 255, 0), 8},
                      ColumnCase{"YellowFull", 20, Rgb(255, 255, 0), qRgb(255, 255, 0), 20},
                      ColumnCase{"GreenOne", 1, Rgb(0, 255, 0), qRgb(0, 255, 0), 1},
                      // Red lies in the lowest byte of the colour value.
                      ColumnCase{"IdlePinkByteOrder", 20, Rgb(255, 0, 127), qRgb(255, 0, 127), 20},
                      ColumnCase{"TallerThanTheImageIsCut", 35, Rgb(0, 0, 255), qRgb(0, 0, 255),
                                 20},
                      ColumnCase{"ZeroIsAllBlack", 0, Rgb(255, 0, 0), qRgb(255, 0, 0), 0},
                      ColumnCase{"NegativeIsAllBlack", -3, Rgb(255, 0, 0), qRgb(255, 0, 0), 0}),
    quib::testing::CaseName());

TEST(ConnectionGraph, EarlierColumnsMoveOnePixelLeftPerColumn) {
    ConnectionGraph graph;
    graph.AddColumn(8, Rgb(0, 255, 0));
    graph.AddColumn(20, Rgb(255, 0, 0));
    graph.AddColumn(3, Rgb(0, 0, 255));
    const QImage& image = graph.image();
    EXPECT_EQ(BarHeight(image, kRight - 2, qRgb(0, 255, 0)), 8);
    EXPECT_EQ(BarHeight(image, kRight - 1, qRgb(255, 0, 0)), 20);
    EXPECT_EQ(BarHeight(image, kRight, qRgb(0, 0, 255)), 3);
    EXPECT_EQ(BarHeight(image, kRight - 3, kBlack), 20);
}

// A low bar after a high one must not keep the high one's upper pixels: the
// new column is blackened first.
TEST(ConnectionGraph, ALowColumnAfterAHighOneLeavesNothingAboveIt) {
    ConnectionGraph graph;
    graph.AddColumn(20, Rgb(255, 255, 0));
    graph.AddColumn(2, Rgb(0, 255, 0));
    EXPECT_EQ(BarHeight(graph.image(), kRight, qRgb(0, 255, 0)), 2);
}

TEST(ConnectionGraph, AColumnScrollsOutAfter660More) {
    ConnectionGraph graph;
    graph.AddColumn(20, Rgb(255, 255, 0));
    for (int i = 0; i < ConnectionGraph::kWidth - 1; ++i) {
        graph.AddColumn(0, 0);
    }
    EXPECT_EQ(BarHeight(graph.image(), 0, qRgb(255, 255, 0)), 20);
    graph.AddColumn(0, 0);
    EXPECT_EQ(BarHeight(graph.image(), 0, qRgb(255, 255, 0)), 0);
}

}  // namespace
}  // namespace quib::server
