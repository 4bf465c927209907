#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "server/core/log_queue.h"
#include "server/core/state_lock.h"
#include "server/core/subject_record.h"

namespace quib::server {

// The game state machine: the experimenter's start moves Idle -> SetUp and
// the abort any -> Idle; every other step belongs to the game.
enum GameState : std::int32_t {
    Idle = 0,
    SetUp = 1,
    WaitStart = 2,
    Running = 3,
    RoundOver = 4,
};

enum QuitState : std::int32_t {
    QuitNone = 0,
    QuitAsked = 1,      // close box clicked, not yet confirmed
    QuitConfirmed = 2,  // the main loop ends
};

// One of the four mirrors of the players' text lines: slots 0 and 1 are the
// seats' lower (status) lines, slots 2 and 3 their upper (score) lines.
struct StatusSlot {
    std::int32_t dirty = 0;
    std::int32_t colour = 0;  // 0x00BBGGRR; below 0: keep the current colour
    std::string text;         // Windows-1252
};

// The experimenter's game settings as the window shows them, mirrored by the
// main thread whenever a list or the start toggle changes, so that the
// network thread never calls the window toolkit. Indices are list positions:
// entry 0 means nothing chosen yet, entry 1 of player 2's lists "the same as
// player 1".
struct GameSettings {
    std::int32_t level = 0;
    std::int32_t speed = 0;
    std::int32_t display = 0;
    std::array<std::int32_t, 2> figure = {0, 1};
    std::array<std::int32_t, 2> start = {0, 1};
    // The selected entries' texts (Windows-1252), for the protocol files.
    std::string levelText;
    std::string speedText;
    std::string displayText;
    std::array<std::string, 2> figureText;
    std::array<std::string, 2> startText;
    bool startToggleDown = false;
};

// The two connection lines of a seat panel, written by the network thread
// when a client connects, reports its host name or goes away.
struct SeatLines {
    std::string addressLine;  // "Spieler 1 - IP: 10.0.0.7" (Windows-1252)
    std::string hostLine;     // "Host: lab-07"
};

// The server's process-wide hand-over record between its two threads. Which
// thread writes and reads each field, and under which lock, is written down
// once, in docs/threads.md.
struct ServerState {
    StateLock lock;  // `stateLock`

    std::int32_t gameState = Idle;
    std::int32_t quitState = QuitNone;
    std::atomic<std::int32_t> engineBusy{0};

    // One-shot requests to the main thread: the producer fills the payload,
    // then sets the flag; the main thread acts once and clears it.
    std::int32_t refreshControls = 0;
    std::int32_t refreshStatistics = 0;
    std::int32_t refreshStrips = 0;
    std::int32_t refreshSubjectStats = 0;
    std::array<std::int32_t, 2> refreshBoard = {0, 0};
    // Set by the main thread while its own timer is due to show the changed
    // mirrors (it shows them at a fixed pace); the network thread then need
    // not wake it for them.
    std::int32_t boardRefreshTimed = 0;
    std::int32_t refreshSeatLines = 0;
    std::array<StatusSlot, 4> statusSlots;
    std::array<SeatLines, 2> seatLines;
    // A warning beside each seat's mirror (Windows-1252, empty: none): the
    // pictures the player's program could not show. Written by the network
    // thread, which then raises the flag.
    std::array<std::string, 2> seatWarnings;
    std::int32_t refreshSeatWarnings = 0;

    LogQueue logQueue;
    std::int32_t logMaxLines = 50;

    // The main thread's alone (no lock): the window's own bookkeeping.
    std::string commentPlaceholder;
    std::array<std::string, 2> commentShown;
    std::string windowTitle;
    std::int32_t lastSecond = -1;

    GameSettings settings;

    // The subjects in the two seats: chosen by the main thread, their totals
    // updated by the network thread after each round.
    std::array<SubjectRecord, 2> subjects;
};

// Whether the main thread has anything to show at once: a raised refresh
// flag, a filled status slot or a pending log line. Changed mirrors count
// only while the main thread has no timer set for them. The connection
// strips are left to the main thread's clock tick: they change with every
// exchange, and redrawing them for each of some 80 replies a second would
// cost more processor time than the picture is worth. The caller holds the
// lock.
inline bool HasMainThreadWork(const ServerState& state) {
    bool work = state.refreshControls || state.refreshStatistics || state.refreshSubjectStats ||
                state.refreshSeatLines || state.refreshSeatWarnings ||
                ((state.refreshBoard[0] || state.refreshBoard[1]) && !state.boardRefreshTimed) ||
                state.logQueue.size() > 0;
    for (const StatusSlot& slot : state.statusSlots) {
        work = work || slot.dirty;
    }
    return work;
}

}  // namespace quib::server
