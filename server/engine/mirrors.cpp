#include "server/engine/mirrors.h"

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
    : state_(state), grafikDir_(std::move(grafikDir)), pictures_(std::move(pictures)) {
    for (int seat = 0; seat < kSeats; ++seat) {
        screens_[seat] = BlackImage(kScreenMirrorSide);
        partnerViews_[seat] = BlackImage(kPartnerViewMirrorSide);
    }
}

SeatMirror& Mirrors::Mirror(int seat) {
    std::unique_ptr<SeatMirror>& store = stores_[seat];
    if (!store) {
        store = std::make_unique<SeatMirror>(grafikDir_, pictures_);
        store->onPresent = [this, seat](const QImage& ownView, const QImage& partnerView) {
            screens_[seat] = ownView;
            partnerViews_[seat] = partnerView;
            state_.refreshBoard[seat] = 1;
        };
    }
    return *store;
}

ScreenWriter Mirrors::Writer(int seat, protocol::SendBuffer& frame) {
    return ScreenWriter(seat, frame, Mirror(seat), state_, backlogs_[seat]);
}

void Mirrors::DrawSentFrame(int seat, std::span<const std::uint8_t> frame) {
    DrawMirrorBacklog(seat, frame, Mirror(seat), state_, backlogs_[seat]);
}

void Mirrors::Clear(int seat) {
    // Shared pixels are never painted: the window may still show them.
    screens_[seat] = BlackImage(kScreenMirrorSide);
    partnerViews_[seat] = BlackImage(kPartnerViewMirrorSide);
}

}  // namespace quib::server
