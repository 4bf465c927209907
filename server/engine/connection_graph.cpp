#include "server/engine/connection_graph.h"

#include <algorithm>
#include <cstring>

#include "common/drawing_values.h"

namespace quib::server {

ConnectionGraph::ConnectionGraph() : image_(kWidth, kHeight, QImage::Format_RGB32) {
    image_.fill(Qt::black);
}

void ConnectionGraph::AddColumn(int height, Colour colour) {
    const int bar = std::clamp(height, 0, kHeight);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb barColour = WireColour(colour).rgb();
    for (int y = 0; y < kHeight; ++y) {
        // Format_RGB32 rows are arrays of QRgb: the scanline's bytes are the
        // row's pixels.
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::memmove(row, row + 1, (kWidth - 1) * sizeof(QRgb));
        row[kWidth - 1] = y >= kHeight - bar ? barColour : black;
    }
}

}  // namespace quib::server
