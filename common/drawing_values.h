#pragma once

// Turning the values of drawing messages into pixels and colours.
//
// Positions and sizes travel as fractions of a picture field's side; each
// screen multiplies them by its own unit (the server's mirrors by 480, a
// player program by the side of its picture fields) and rounds half to even.

#include <QColor>
#include <QPoint>
#include <QSize>

#include <optional>

#include "protocol/messages.h"

namespace quib {

// Drawing far outside a picture is clipped anyway; the limit only keeps the
// pixel value of any accepted coordinate well inside an int.
inline constexpr float kMaxCoordinateUnits = 64;

// Largest side of an image made or loaded by a message: sixteen picture
// fields, far above the one field the game uses, low enough that no frame
// can make a screen allocate more than a few hundred megabytes per image.
inline constexpr int kMaxImageSideUnits = 16;

// Largest unit a screen may use; beyond it the limits above would overflow.
inline constexpr int kMaxUnit = 65536;

class UnitScale {
  public:
    // unit: pixels per picture field side, 1 .. kMaxUnit.
    explicit UnitScale(int unit) : unit_(unit) {}

    int unit() const { return unit_; }

    // round(unit * value); nullopt when the value is not finite or lies
    // beyond kMaxCoordinateUnits.
    std::optional<int> Pixels(float value) const;
    std::optional<QPoint> Point(float x, float y) const;

    // The pixel side of an image of `value` units; nullopt unless it comes
    // to 1 .. kMaxImageSideUnits * unit pixels.
    std::optional<int> ImageSide(float value) const;

    // Whether both sides of an image lie within kMaxImageSideUnits.
    bool IsImageSize(QSize size) const;

  private:
    int unit_;
};

// A colour as the messages and the server's status lines hold it,
// 0x00BBGGRR with red in the low byte; the highest byte is not part of the
// colour. Every conversion of such a value to Qt goes through here.
QColor WireColour(protocol::Colour colour);

}  // namespace quib
