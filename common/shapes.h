#pragma once

// Pixel-exact shapes on an image, all in pixel coordinates and clipped to
// the image. Each call paints and finishes on its own, so an image may be
// replaced or freed between two calls.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <span>

namespace quib {

// How boxes, circles and ellipses are drawn (the drawing mode).
enum class ShapeStyle {
    Filled,
    FilledXor,  // filled, each pixel exclusive-or'ed with the colour
    Outline,    // one pixel wide border only
};

// The box of |width| x |height| pixels from `corner`; a negative side
// extends to the left or upwards, so the box never includes the pixel
// column or row at corner + side.
QRect SpannedBox(QPoint corner, int width, int height);

void DrawBox(QImage& target, const QRect& box, const QColor& colour, ShapeStyle style);

// Covers centre.x +- radiusX and centre.y +- radiusY inclusive in every
// style; both radii zero is the centre pixel alone.
void DrawEllipse(QImage& target, QPoint centre, int radiusX, int radiusY, const QColor& colour,
                 ShapeStyle style);

// Both end points included.
void DrawLine(QImage& target, QPoint from, QPoint to, const QColor& colour);

void DrawPlot(QImage& target, QPoint at, const QColor& colour);

// Closed polygon through the points: interior by the even-odd rule in the
// fill colour, then a one pixel border in the pen colour through every
// point.
void DrawPolygon(QImage& target, std::span<const QPoint> points, const QColor& pen,
                 const QColor& fill);

// Blends `source` over the target by the source's alpha (an opaque source is
// a plain copy). Source and target may be the same image.
void DrawImageOver(QImage& target, const QImage& source, QPoint topLeft);

// Whether DrawImageOver replaces the target by the source, sharing its
// pixels instead of drawing: an opaque source of the target's size and
// format at (0, 0).
bool ReplacesWhole(const QImage& target, const QImage& source, QPoint topLeft);

// Replaces the target's pixels within `area` (clipped to both images) with
// the source's at the same place, alpha ignored; the target keeps its own
// pixels everywhere else. Images of one size and format get the very bytes,
// row by row, and share nothing afterwards; others are drawn.
void CopyImageArea(QImage& target, const QImage& source, const QRect& area);

}  // namespace quib
