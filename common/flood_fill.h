#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <optional>

namespace quib {

// Paints the area around `start` (four-connected: across edges, not corners)
// in `colour`.
//   border set:     the area spreads over every pixel that is not of the
//                   border colour;
//   border nullopt: the area is the connected pixels of the start pixel's
//                   colour.
// Colours are opaque RGB values (alpha byte ignored for the border and
// colour arguments). A start outside the image changes nothing.
// Works span by span with an explicit list of pending spans: no recursion,
// and memory bounded by the image's size.
void FloodFill(QImage& image, QPoint start, std::optional<QRgb> border, QRgb colour);

}  // namespace quib
