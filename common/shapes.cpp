#include "common/shapes.h"

#include <QPainter>
#include <QPen>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace quib {
namespace {

// Non-antialiased one pixel pen with square caps: the caps are what make a
// line cover its last point.
QPen OnePixelPen(const QColor& colour) {
    return QPen(QBrush(colour), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

std::array<QRect, 4> BoxEdges(const QRect& box) {
    return {QRect(box.left(), box.top(), box.width(), 1),
            QRect(box.left(), box.bottom(), box.width(), 1),
            QRect(box.left(), box.top(), 1, box.height()),
            QRect(box.right(), box.top(), 1, box.height())};
}

// Filling the interior alone leaves the ellipse lopsided by a pixel; the pen
// on the same outline makes it cover exactly centre +- radius, so a filled
// and an outlined ellipse of one size have the same extent.
void PaintEllipse(QPainter& painter, QPoint centre, int radiusX, int radiusY, const QColor& colour,
                  bool filled) {
    painter.setPen(OnePixelPen(colour));
    if (radiusX == 0 && radiusY == 0) {
        painter.drawPoint(centre);
        return;
    }
    painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
    painter.drawEllipse(QPointF(centre), radiusX, radiusY);
}

// Exclusive-or must touch each pixel once; a shape painted in two passes
// (interior, then border) would flip its rim back. So the shape is painted
// opaque onto a transparent layer first, and the layer is xor'ed on once;
// its transparent pixels leave the target as it is.
template <typename Paint>
void PaintXor(QImage& target, const QRect& bounds, Paint paint) {
    const QRect area = bounds.intersected(target.rect());
    if (area.isEmpty()) {
        return;
    }
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) {
        return;
    }
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.translate(-area.topLeft());
        paint(layerPainter);
    }
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(area.topLeft(), layer);
}

}  // namespace

QRect SpannedBox(QPoint corner, int width, int height) {
    const int left = width < 0 ? corner.x() + width : corner.x();
    const int top = height < 0 ? corner.y() + height : corner.y();
    return QRect(left, top, std::abs(width), std::abs(height));
}

void DrawBox(QImage& target, const QRect& box, const QColor& colour, ShapeStyle style) {
    if (box.isEmpty()) {
        return;
    }
    QPainter painter(&target);
    switch (style) {
        case ShapeStyle::Filled:
            painter.fillRect(box, colour);
            break;
        case ShapeStyle::FilledXor:
            // One fill touches each pixel once, so no layer is needed.
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(box, colour);
            break;
        case ShapeStyle::Outline:
            for (const QRect& edge : BoxEdges(box)) {
                painter.fillRect(edge, colour);
            }
            break;
    }
}

void DrawEllipse(QImage& target, QPoint centre, int radiusX, int radiusY, const QColor& colour,
                 ShapeStyle style) {
    if (style == ShapeStyle::FilledXor) {
        const QRect bounds(centre.x() - radiusX, centre.y() - radiusY, 2 * radiusX + 1,
                           2 * radiusY + 1);
        PaintXor(target, bounds, [&](QPainter& painter) {
            PaintEllipse(painter, centre, radiusX, radiusY, colour, true);
        });
        return;
    }
    QPainter painter(&target);
    PaintEllipse(painter, centre, radiusX, radiusY, colour, style == ShapeStyle::Filled);
}

void DrawLine(QImage& target, QPoint from, QPoint to, const QColor& colour) {
    QPainter painter(&target);
    painter.setPen(OnePixelPen(colour));
    painter.drawLine(from, to);
}

void DrawPlot(QImage& target, QPoint at, const QColor& colour) {
    QPainter painter(&target);
    painter.fillRect(QRect(at, QSize(1, 1)), colour);
}

void DrawPolygon(QImage& target, std::span<const QPoint> points, const QColor& pen,
                 const QColor& fill) {
    if (points.empty()) {
        return;
    }
    QPainter painter(&target);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(fill));
    painter.drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
    // Qt's own polygon border leaves out the tip of some sharp corners; edge
    // by edge, each line includes both its ends, so every corner is on the
    // border (and a polygon of one point is that pixel).
    painter.setPen(OnePixelPen(pen));
    for (std::size_t i = 0; i < points.size(); ++i) {
        painter.drawLine(points[i], points[(i + 1) % points.size()]);
    }
}

bool ReplacesWhole(const QImage& target, const QImage& source, QPoint topLeft) {
    return topLeft == QPoint(0, 0) && source.size() == target.size() &&
           source.format() == target.format() && !source.hasAlphaChannel();
}

void DrawImageOver(QImage& target, const QImage& source, QPoint topLeft) {
    // An opaque image that covers the whole target replaces it: the two share
    // their pixels until either is drawn on, which saves a full copy for
    // every view that starts from its background picture.
    if (ReplacesWhole(target, source, topLeft)) {
        target = source;
        return;
    }
    // A second reference makes the painter detach the target first, so
    // drawing an image onto itself reads the unchanged pixels.
    const QImage snapshot = source;
    QPainter painter(&target);
    painter.drawImage(topLeft, snapshot);
}

void CopyImageArea(QImage& target, const QImage& source, const QRect& area) {
    const QRect clipped = area.intersected(target.rect()).intersected(source.rect());
    if (clipped.isEmpty()) {
        return;
    }
    if (target.size() == source.size() && target.format() == source.format() &&
        source.depth() % 8 == 0) {
        const auto offset = static_cast<std::size_t>(clipped.left() * source.depth() / 8);
        const auto bytes = static_cast<std::size_t>(clipped.width() * source.depth() / 8);
        // bits() detaches the target once, where scanLine() would look at
        // every row.
        uchar* to = target.bits();
        const uchar* from = source.constBits();
        const auto toLine = static_cast<std::size_t>(target.bytesPerLine());
        const auto fromLine = static_cast<std::size_t>(source.bytesPerLine());
        for (auto y = static_cast<std::size_t>(clipped.top());
             y <= static_cast<std::size_t>(clipped.bottom()); ++y) {
            std::memcpy(to + y * toLine + offset, from + y * fromLine + offset, bytes);
        }
        return;
    }
    const QImage snapshot = source;
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(clipped.topLeft(), snapshot, clipped);
}

}  // namespace quib
