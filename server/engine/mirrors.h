#pragma once

#include <QImage>

#include <array>
#include <filesystem>
#include <memory>
#include <span>

#include "common/drawing.h"
#include "server/core/server_state.h"
#include "server/engine/screen_writer.h"
#include "server/engine/seat_mirror.h"
#include "server/game/seat_record.h"

namespace quib::server {

inline constexpr int kScreenMirrorSide = 480;
inline constexpr int kPartnerViewMirrorSide = 170;

// What the experimenter sees of each player: the seat's image stores as the
// player program holds them, drawn from the very messages the seat is sent,
// and the views they present, the own screen (480 x 480) and the partner
// view (170 x 170), black until the first frame presents.
//
// Network thread only (docs/threads.md). The views share their pixels with
// the copies the window shows; the stores only replace them or detach
// before they draw, never paint shared pixels, so the window may keep and
// paint its copies without the lock.
class Mirrors {
  public:
    // `pictures` is shared with the window's figure lists.
    Mirrors(ServerState& state, std::filesystem::path grafikDir,
            std::shared_ptr<PictureCache> pictures);

    // The seat's stores; their present puts the views here and raises the
    // seat's refreshBoard.
    SeatMirror& Mirror(int seat);
    // A writer for the seat's next frame: its messages go into `frame`, and
    // the mirror follows them.
    ScreenWriter Writer(int seat, protocol::SendBuffer& frame);
    // Draws what the seat's frame told the player on the seat's mirror, as
    // far as building the frame has not drawn it already. Runs once the frame
    // is out, so the player's exchange does not wait for the server's copy.
    void DrawSentFrame(int seat, std::span<const std::uint8_t> frame);
    // The seat's player left: both views go black.
    void Clear(int seat);

    const QImage& Screen(int seat) const { return screens_[seat]; }
    const QImage& PartnerView(int seat) const { return partnerViews_[seat]; }
    const std::shared_ptr<PictureCache>& pictures() const { return pictures_; }

  private:
    ServerState& state_;
    std::filesystem::path grafikDir_;
    std::shared_ptr<PictureCache> pictures_;
    std::array<std::unique_ptr<SeatMirror>, kSeats> stores_;
    // The part of each seat's update frame its mirror has not drawn yet.
    std::array<MirrorBacklog, kSeats> backlogs_;
    std::array<QImage, kSeats> screens_;
    std::array<QImage, kSeats> partnerViews_;
};

}  // namespace quib::server
