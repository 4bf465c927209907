#include "common/drawing_values.h"

#include <cmath>

namespace quib {

std::optional<int> UnitScale::Pixels(float value) const {
    if (!std::isfinite(value) || std::fabs(value) > kMaxCoordinateUnits) {
        return std::nullopt;
    }
    // In double the product of a float and an int up to kMaxUnit is exact, so
    // only the one rounding to the nearest pixel (halves to even) remains.
    return static_cast<int>(std::nearbyint(static_cast<double>(unit_) * value));
}

std::optional<QPoint> UnitScale::Point(float x, float y) const {
    const std::optional<int> px = Pixels(x);
    const std::optional<int> py = Pixels(y);
    if (!px || !py) {
        return std::nullopt;
    }
    return QPoint(*px, *py);
}

std::optional<int> UnitScale::ImageSide(float value) const {
    const std::optional<int> side = Pixels(value);
    if (!side || *side < 1 || *side > kMaxImageSideUnits * unit_) {
        return std::nullopt;
    }
    return side;
}

bool UnitScale::IsImageSize(QSize size) const {
    const int maxSide = kMaxImageSideUnits * unit_;
    return size.width() >= 1 && size.height() >= 1 && size.width() <= maxSide &&
           size.height() <= maxSide;
}

QColor WireColour(protocol::Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace quib
