#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "common/drawing.h"

namespace quib::server {

// The server's copy of one player's screen, drawn from the very messages the
// player is sent, in two image stores: `screen` draws at 480 pixels per unit
// (the size the experimenter's window shows the player's own view at), and
// `partnerView` at 170, the size of the window's partner view. Drawing the
// partner view at the size it is shown, as a player program with a small
// screen would, keeps its lines and pictures sharp and costs an eighth of
// the pixels of drawing it at 480 and reducing it.
//
// Every message goes to both stores, except that the drawing inside a group
// on the own view (slot -1) is left out in `partnerView` and the drawing
// inside a group on the partner view (slot -2) in `screen`: each store draws
// only the view it is there for, and the slot images both views are made of
// exist in both.
class SeatMirror {
  public:
    // Both stores keep their pictures in `pictures`, which the mirrors of
    // both seats share.
    SeatMirror(const std::filesystem::path& pictureDir, std::shared_ptr<PictureCache> pictures);

    // Executes one message of type 200 .. 254 as DrawingExecutor::Execute
    // does; the result is that of `screen`, or of `partnerView` for drawing
    // that only the partner view does.
    bool Execute(std::uint8_t type, std::span<const std::uint8_t> body);

    // Pixel size of the slot's image at 480 pixels per unit.
    QSize SlotSize(std::int8_t slot) const { return screen.SlotSize(slot); }

    // The own view (480 pixels) and the partner view (170 pixels) as the
    // last present left them, and the part of each it changed.
    const QImage& OwnView() const { return *screen.Image(0); }
    QRect OwnViewChange() const { return screen.PresentedArea(0); }
    const QImage& PartnerView() const { return *partnerView.Image(2); }
    QRect PartnerViewChange() const { return partnerView.PresentedArea(2); }

    // Called at the end of message 254, once both views are presented.
    std::function<void()> onPresent;

    DrawingExecutor screen;
    DrawingExecutor partnerView;

  private:
    // The slot of the drawing group currently open, if any.
    std::optional<std::int8_t> openSlot_;
};

}  // namespace quib::server
