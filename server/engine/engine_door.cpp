#include "server/engine/engine_door.h"

#include "common/clock.h"
#include "common/image_change.h"

namespace quib::server {

bool EngineDoor::Open() const {
    // The network thread holds stateLock for its whole pass with engineBusy
    // set. A caller that holds the lock while engineBusy is set can only have
    // got it because the thread let go of it inside a message box.
    return engine_.state.lock.HeldByCurrentThread() && engine_.state.engineBusy == 0;
}

bool EngineDoor::StartGame(std::uint32_t nowMs, const LocalTime& now) {
    if (!Open() || engine_.state.gameState != Idle) {
        return false;
    }
    engine_.StartGame(nowMs, now);
    return true;
}

bool EngineDoor::Abort() {
    if (!Open()) {
        return false;
    }
    engine_.AbortGame();
    return true;
}

bool EngineDoor::ResetScores(ResetKind kind) {
    if (!Open()) {
        return false;
    }
    engine_.game().ResetScores(kind);
    return true;
}

bool EngineDoor::SetSettings(const GameSettings& settings) {
    if (!Open()) {
        return false;
    }
    engine_.state.settings = settings;
    return true;
}

std::optional<QRect> EngineDoor::CopyMirrorChange(int seat, Mirrors::View view, QImage& shown) {
    if (!Open()) {
        return std::nullopt;
    }
    return engine_.mirrors().CopyChangeOnto(seat, view, shown);
}

// A copy onto the window's own image, where sharing the pixels would make
// the network thread copy the whole graph at its next column.
std::optional<QRect> EngineDoor::CopyGraph(int seat, QImage& shown) const {
    if (!Open()) {
        return std::nullopt;
    }
    const QImage& graph = engine_.links().graphs[seat].image();
    return CopyChange(shown, graph, graph.rect());
}

std::optional<ServerStatistics> EngineDoor::Statistics() const {
    if (!Open()) {
        return std::nullopt;
    }
    return engine_.game().statistics;
}

std::optional<bool> EngineDoor::SeatConnected(int seat) const {
    if (!Open()) {
        return std::nullopt;
    }
    return engine_.links().Connected(seat);
}

std::optional<std::uint32_t> EngineDoor::LiveRoundMs(std::uint32_t nowMs) const {
    if (!Open() || engine_.state.gameState != Running) {
        return std::nullopt;
    }
    return ElapsedMs(nowMs, engine_.game().roundStartMs);
}

}  // namespace quib::server
