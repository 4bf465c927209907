#pragma once

#include <QImage>
#include <QRect>

#include <array>
#include <filesystem>
#include <memory>
#include <span>

#include "common/drawing.h"
#include "common/image_change.h"
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
// The views are the mirrors' own images, kept as each present left them:
// a present copies into them what it changed, and notes that part as not
// yet shown. The window takes the parts not yet shown as copies of their
// own (TakeChanges), never the views themselves, so the network thread
// may draw on the views in place.
//
// Network thread, and the main thread's TakeChanges, both under stateLock
// (docs/threads.md).
class Mirrors {
  public:
    // `pictures` is shared with the window's figure lists.
    Mirrors(ServerState& state, std::filesystem::path grafikDir,
            std::shared_ptr<PictureCache> pictures);

    // The seat's stores; their present updates the views here and raises
    // the seat's refreshBoard.
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

    // What changed of the seat's views since the last call: copies of the
    // changed parts, for the window to put onto its own copies of the views.
    struct Changes {
        ImageChange screen;
        ImageChange partnerView;
    };
    Changes TakeChanges(int seat);

    const QImage& Screen(int seat) const { return views_[seat].screen.image; }
    const QImage& PartnerView(int seat) const { return views_[seat].partnerView.image; }
    const std::shared_ptr<PictureCache>& pictures() const { return pictures_; }

  private:
    struct View {
        QImage image;
        QRect unshown;  // changed since the window last took the changes
    };
    struct SeatViews {
        View screen;
        View partnerView;
        // Black since Clear: the next present copies the whole views.
        bool cleared = false;
    };

    void Present(int seat);

    ServerState& state_;
    std::filesystem::path grafikDir_;
    std::shared_ptr<PictureCache> pictures_;
    std::array<std::unique_ptr<SeatMirror>, kSeats> stores_;
    // The part of each seat's update frame its mirror has not drawn yet.
    std::array<MirrorBacklog, kSeats> backlogs_;
    std::array<SeatViews, kSeats> views_;
};

}  // namespace quib::server
