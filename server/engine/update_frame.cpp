// The frame a seat is sent 25 ms after each reply, and the seat's mirror.

#include "server/engine/engine.h"
#include "server/engine/screen_composition.h"

namespace quib::server {

void Engine::BuildUpdateFrame(int seat, std::uint32_t now) {
    UpdateSeatScreen(*this, seat, now);
}

DrawingExecutor& Engine::Mirror(int seat) {
    std::unique_ptr<DrawingExecutor>& store = mirrorStores[seat];
    if (!store) {
        // Pictures are loaded as they are: the mirror draws at the size the
        // server's window shows.
        store = std::make_unique<DrawingExecutor>(
            DrawingConfig{kScreenMirrorSide, kScreenMirrorSide, grafikDir, 1.0f});
        DrawingExecutor* mirror = store.get();
        store->onPresent = [this, seat, mirror] {
            screenMirrors[seat] = *mirror->Image(0);
            partnerViewMirrors[seat] =
                mirror->Image(2)->scaled(kPartnerViewMirrorSide, kPartnerViewMirrorSide,
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            state.refreshBoard[seat] = 1;
        };
    }
    return *store;
}

}  // namespace quib::server
