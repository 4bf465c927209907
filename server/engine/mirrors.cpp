#include "server/engine/mirrors.h"

#include "common/shapes.h"

namespace quib::server {
namespace {

QImage BlackImage(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Brings a view to what the store presented: the part the present changed,
// or all of it when the view no longer matches the store elsewhere.
void Follow(QImage& view, QRect& unshown, const QImage& presented, QRect changed, bool whole) {
    if (whole || view.size() != presented.size() || view.format() != presented.format()) {
        view = presented.copy();
        changed = view.rect();
    } else {
        CopyImageArea(view, presented, changed);
    }
    unshown |= changed;
}

}  // namespace

Mirrors::Mirrors(ServerState& state, std::filesystem::path grafikDir,
                 std::shared_ptr<PictureCache> pictures)
    : state_(state), grafikDir_(std::move(grafikDir)), pictures_(std::move(pictures)) {
    for (SeatViews& views : views_) {
        views.screen.image = BlackImage(kScreenMirrorSide);
        views.partnerView.image = BlackImage(kPartnerViewMirrorSide);
    }
}

SeatMirror& Mirrors::Mirror(int seat) {
    std::unique_ptr<SeatMirror>& store = stores_[seat];
    if (!store) {
        store = std::make_unique<SeatMirror>(grafikDir_, pictures_);
        // The views start black, as the new stores' front images do.
        store->onPresent = [this, seat] { Present(seat); };
    }
    return *store;
}

void Mirrors::Present(int seat) {
    const SeatMirror& store = *stores_[seat];
    SeatViews& views = views_[seat];
    Follow(views.screen.image, views.screen.unshown, store.OwnView(), store.OwnViewChange(),
           views.cleared);
    Follow(views.partnerView.image, views.partnerView.unshown, store.PartnerView(),
           store.PartnerViewChange(), views.cleared);
    views.cleared = false;
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
    views.screen.image = BlackImage(kScreenMirrorSide);
    views.partnerView.image = BlackImage(kPartnerViewMirrorSide);
    views.screen.unshown = views.screen.image.rect();
    views.partnerView.unshown = views.partnerView.image.rect();
    views.cleared = true;
}

Mirrors::Changes Mirrors::TakeChanges(int seat) {
    SeatViews& views = views_[seat];
    Changes changes{TakeChange(views.screen.image, views.screen.unshown),
                    TakeChange(views.partnerView.image, views.partnerView.unshown)};
    views.screen.unshown = QRect();
    views.partnerView.unshown = QRect();
    return changes;
}

}  // namespace quib::server
