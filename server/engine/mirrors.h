#pragma once

#include <QImage>
#include <QRect>

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
// view (170 x 170), black until the first frame presents and from the
// moment the seat's player leaves until the next present.
//
// The views are the stores' front images, which only a present changes; a
// present notes the part it changed as not yet shown. The window copies the
// parts not yet shown onto its own copies of the views (CopyChangeOnto) and
// never holds the views themselves, so the network thread may present into
// them in place.
//
// Network thread, and the main thread's CopyChangeOnto, both under stateLock
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

    enum class View { Screen, PartnerView };
    // Copies what changed of one of the seat's views since the last call
    // onto `shown`, the window's own copy of that view, and returns the
    // part of `shown` that changed.
    QRect CopyChangeOnto(int seat, View view, QImage& shown);

    const QImage& Screen(int seat) const;
    const QImage& PartnerView(int seat) const;
    const std::shared_ptr<PictureCache>& pictures() const { return pictures_; }

  private:
    struct SeatViews {
        // Changed since the window last copied the changes.
        QRect screenUnshown;
        QRect partnerViewUnshown;
        // Black since Clear: the next present shows the whole fronts.
        bool cleared = false;
    };

    void Present(int seat);
    // Whether the views are the store's fronts rather than black.
    bool Shown(int seat) const;

    ServerState& state_;
    std::filesystem::path grafikDir_;
    std::shared_ptr<PictureCache> pictures_;
    std::array<std::unique_ptr<SeatMirror>, kSeats> stores_;
    // The part of each seat's update frame its mirror has not drawn yet.
    std::array<MirrorBacklog, kSeats> backlogs_;
    std::array<SeatViews, kSeats> views_;
    QImage blackScreen_;
    QImage blackPartnerView_;
};

}  // namespace quib::server
