// The frame a seat is sent 25 ms after each reply, and the seat's mirror.

#include "server/engine/engine.h"
#include "server/engine/screen_composition.h"

namespace quib::server {

void Engine::BuildUpdateFrame(int seat, std::uint32_t now) {
    UpdateSeatScreen(*this, seat, now);
}

void Engine::MirrorSentFrame(int seat) {
    DrawMirrorBacklog(seat, links[seat].sender.bytes(), Mirror(seat), state, mirrorBacklogs[seat]);
}

SeatMirror& Engine::Mirror(int seat) {
    std::unique_ptr<SeatMirror>& store = mirrorStores[seat];
    if (!store) {
        store = std::make_unique<SeatMirror>(grafikDir, pictureCache);
        store->onPresent = [this, seat](const QImage& ownView, const QImage& partnerView) {
            screenMirrors[seat] = ownView;
            partnerViewMirrors[seat] = partnerView;
            state.refreshBoard[seat] = 1;
        };
    }
    return *store;
}

}  // namespace quib::server
