#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "server/engine/connection_graph.h"

namespace quib::testing {

// The height of the bar in column x of a connection graph, checking that it
// is one solid bar of `colour` standing on the bottom edge with only black
// above it.
inline int BarHeight(const QImage& image, int x, QRgb colour) {
    int height = 0;
    for (int y = server::ConnectionGraph::kHeight - 1; y >= 0 && image.pixel(x, y) == colour; --y) {
        ++height;
    }
    for (int y = server::ConnectionGraph::kHeight - 1 - height; y >= 0; --y) {
        EXPECT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << "column " << x << " row " << y;
    }
    return height;
}

inline constexpr int kRightmostColumn = server::ConnectionGraph::kWidth - 1;

}  // namespace quib::testing
