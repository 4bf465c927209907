#pragma once

#include <QImage>

#include "server/game/seat_record.h"

namespace quib::server {

// The connection-quality strip of a seat: a 660 x 20 image that scrolls left
// by one pixel for every reply taken in and every time-out mark. A reply's
// column is as high as its round trip (20 pixels = 25 ms or more), so the
// experimenter sees at a glance how a player's connection behaves.
//
// Part of the seat links; the window gets image() through the engine's door
// (docs/threads.md).
class ConnectionGraph {
  public:
    static constexpr int kWidth = 660;
    static constexpr int kHeight = 20;

    // Black all over.
    ConnectionGraph();

    // Scrolls the image one pixel to the left and draws the new right-most
    // column: black, with a bar of `height` pixels (clamped to 0..20) in
    // `colour` (0x00BBGGRR) standing on the bottom edge.
    void AddColumn(int height, Colour colour);

    const QImage& image() const { return image_; }

  private:
    QImage image_;
};

}  // namespace quib::server
