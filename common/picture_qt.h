#pragma once

#include <QImage>

#include "common/picture.h"

namespace quib {

// The decoded picture as Qt's drawing code prefers it: 32-bit premultiplied
// ARGB, which QPainter blends without converting. A null QImage for an empty
// picture.
QImage ToQImage(const RgbaImage& picture);

}  // namespace quib
