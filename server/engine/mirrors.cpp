#include "server/engine/mirrors.h"

#include "common/image_change.h"

namespace quib::server {
namespace {

QImage BlackImage(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

}  // namespace

Mirrors::Mirrors(ServerState& state, std::filesystem::path grafikDir,
                 std::shared_ptr<PictureCache> pictures)
    : state_(state),
      grafikDir_(std::move(grafikDir)),
      pictures_(std::move(pictures)),
      blackScreen_(BlackImage(kScreenMirrorSide)),
      blackPartnerView_(BlackImage(kPartnerViewMirrorSide)) {}

SeatMirror& Mirrors::Mirror(int seat) {
    std::unique_ptr<SeatMirror>& store = stores_[seat];
    if (!store) {
        store = std::make_unique<SeatMirror>(grafikDir_, pictures_);
        // The views start black, as the new stores' front images do.
        store->onPresent = [this, seat] { Present(seat); };
    }
    return *store;
}

// The fronts change only here: no message can draw on them.
void Mirrors::Present(int seat) {
    const SeatMirror& store = *stores_[seat];
    SeatViews& views = views_[seat];
    if (views.cleared) {
        // Whatever the fronts held before the player left shows again.
        views.screenUnshown = store.OwnView().rect();
        views.partnerViewUnshown = store.PartnerView().rect();
        views.cleared = false;
    } else {
        views.screenUnshown |= store.OwnViewChange();
        views.partnerViewUnshown |= store.PartnerViewChange();
    }
    state_.refreshBoard[seat] = 1;
}

ScreenWriter Mirrors::Writer(int seat, protocol::SendBuffer& frame) {
    return ScreenWriter(seat, frame, Mirror(seat), state_, backlogs_[seat]);
}

void Mirrors::DrawSentFrame(int seat, std::span<const std::uint8_t> frame) {
    DrawMirrorBacklog(seat, frame, Mirror(seat), state_, backlogs_[seat]);
}

void Mirrors::Clear(int seat) {
    SeatViews& views = views_[seat];
    views.cleared = true;
    views.screenUnshown = blackScreen_.rect();
    views.partnerViewUnshown = blackPartnerView_.rect();
}

const QImage& Mirrors::Screen(int seat) const {
    return Shown(seat) ? stores_[seat]->OwnView() : blackScreen_;
}

const QImage& Mirrors::PartnerView(int seat) const {
    return Shown(seat) ? stores_[seat]->PartnerView() : blackPartnerView_;
}

bool Mirrors::Shown(int seat) const {
    return stores_[seat] && !views_[seat].cleared;
}

QRect Mirrors::CopyChangeOnto(int seat, View view, QImage& shown) {
    SeatViews& views = views_[seat];
    const bool screen = view == View::Screen;
    QRect& unshown = screen ? views.screenUnshown : views.partnerViewUnshown;
    const QRect changed = CopyChange(shown, screen ? Screen(seat) : PartnerView(seat), unshown);
    unshown = QRect();
    return changed;
}

}  // namespace quib::server
