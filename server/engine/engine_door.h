#pragma once

#include <QImage>

#include <cstdint>
#include <optional>

#include "server/core/server_state.h"
#include "server/core/time_format.h"
#include "server/engine/engine.h"
#include "server/game/game.h"
#include "server/game/statistics.h"

namespace quib::server {

// The one way the experimenter's window reaches the engine: a few commands
// and read-only views. Main thread only. Every call must be made holding
// stateLock, and every call is refused (false, or no value) while the
// network thread is paused inside a message box: it let go of stateLock
// halfway through its pass, so the engine's state is between two steps and
// must neither be changed nor shown until the pass has finished (see
// docs/threads.md). The window tries a refused command again on its next
// turn.
class EngineDoor {
  public:
    explicit EngineDoor(Engine& engine) : engine_(engine) {}

    // Whether calls are taken now: stateLock held by the caller, and the
    // network thread not inside a pass.
    bool Open() const;

    // --- Commands ---
    // The start toggle went down while no game runs: a new game begins.
    bool StartGame(std::uint32_t nowMs, const LocalTime& now);
    bool Abort();
    bool ResetScores(ResetKind kind);
    // The experimenter's choices as the window's lists and toggle show them.
    bool SetSettings(const GameSettings& settings);

    // --- Views ---
    // Copies what changed of one of the seat's mirror views (480 x 480 own
    // screen, 170 x 170 partner view) since the last call onto the window's
    // copy of it; the part of `shown` that changed.
    std::optional<QRect> CopyMirrorChange(int seat, Mirrors::View view, QImage& shown);
    // Copies the seat's connection graph (660 x 20) onto `shown`, the
    // window's copy of it; the part of `shown` that changed.
    std::optional<QRect> CopyGraph(int seat, QImage& shown) const;
    std::optional<ServerStatistics> Statistics() const;
    std::optional<bool> SeatConnected(int seat) const;
    // Milliseconds since the running round was set up; none when no round runs.
    std::optional<std::uint32_t> LiveRoundMs(std::uint32_t nowMs) const;

  private:
    Engine& engine_;
};

}  // namespace quib::server
