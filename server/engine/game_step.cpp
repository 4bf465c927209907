// The game's share of every pass of the network thread: the state machine
// that sets rounds up, waits for both players to start, turns the keys they
// report into moves, ends the round and waits for the next one.

#include "common/key_codes.h"
#include "server/engine/engine.h"
#include "server/engine/round_end.h"
#include "server/engine/status_colours.h"

namespace quib::server {
namespace {

constexpr float kNearCentre = 0.25f;
constexpr float kFarCentre = 0.75f;

// Ready states of a seat. Spent means the space bar has just been used (to
// start or to end the round) and has to be let go of before it counts again.
constexpr std::int32_t kSpent = -1;
constexpr std::int32_t kNotReady = 0;
constexpr std::int32_t kReady = 1;

bool KeyDown(const Engine& engine, int seat, std::int32_t code) {
    return engine.keyTable[seat][code] >= 1;
}

bool BothReady(const Engine& engine) {
    return engine.seats[0].readyState == kReady && engine.seats[1].readyState == kReady;
}

void ShowFigures(Engine& engine, std::int32_t visible) {
    for (SeatRecord& seat : engine.seats) {
        seat.ownFigureVisible = visible;
        seat.partnerFigureVisible = visible;
    }
}

// No game: the players see their empty screens on the idle colour.
void StayIdle(Engine& engine) {
    ShowFigures(engine, 0);
    for (SeatRecord& seat : engine.seats) {
        seat.statusColour = kIdleColour;
    }
}

void StartRound(Engine& engine, std::uint32_t now) {
    for (SeatRecord& seat : engine.seats) {
        seat.readyState = kSpent;
    }
    ShowFigures(engine, 1);
    engine.state.gameState = Running;
    engine.LogRoundEvent(RoundStartEvent, -1, -1, now);
    PostLogMessage(engine.state, engine.texts[37]);
    engine.seats[0].statusText = engine.texts[38];
    engine.seats[1].statusText = engine.seats[0].statusText;
    for (SeatRecord& seat : engine.seats) {
        seat.statusColour = kRunningColour;
    }
}

// The round is built; each player says "ready" with the space bar. A seat
// still ready from continuing the previous round counts at once.
void WaitForStart(Engine& engine, std::uint32_t now) {
    for (int s = 0; s < kSeats; ++s) {
        SeatRecord& seat = engine.seats[s];
        if (KeyDown(engine, s, kKeySpace) && seat.readyState == kNotReady) {
            seat.readyState = kReady;
            seat.statusText = engine.texts[36];
            seat.statusColour = kReadyColour;
            engine.LogRoundEvent(KeyEvent, kKeySpace, s, now);
        }
    }
    if (BothReady(engine)) {
        StartRound(engine, now);
    }
}

// Exact comparison: the screen composition sets the shown position to the
// target itself when the figure arrives.
bool FigureArrived(const SeatRecord& seat) {
    return seat.shownX == seat.targetX && seat.shownY == seat.targetY;
}

void EndRoundForSeat(Engine& engine, int s, std::uint32_t now) {
    SeatRecord& seat = engine.seats[s];
    seat.readyState = kReady;
    engine.partnerFinished[1 - s] = 1;
    seat.statusText = engine.texts[36];
    seat.statusColour = kReadyColour;
    engine.LogRoundEvent(KeyEvent, kKeySpace, s, now);
}

void MoveToColumn(Engine& engine, int s, std::int32_t column, std::int32_t key, std::uint32_t now) {
    SeatRecord& seat = engine.seats[s];
    seat.cellX = column;
    seat.targetX = column == 0 ? kNearCentre : kFarCentre;
    engine.LogRoundEvent(KeyEvent, key, s, now);
}

void MoveToRow(Engine& engine, int s, std::int32_t row, std::int32_t key, std::uint32_t now) {
    SeatRecord& seat = engine.seats[s];
    seat.cellY = row;
    seat.targetY = row == 0 ? kNearCentre : kFarCentre;
    engine.LogRoundEvent(KeyEvent, key, s, now);
}

// At most one action per seat and step, the first that applies: letting go
// of a spent space bar, ending the round, then one cell left, right, up or
// down. An arrow that points off the board is passed over, so of several
// arrows the first that leads somewhere wins and no move is ever diagonal.
void ActOnKeys(Engine& engine, int s, std::uint32_t now) {
    const SeatRecord& seat = engine.seats[s];
    const bool space = KeyDown(engine, s, kKeySpace);
    if (!space && seat.readyState == kSpent) {
        engine.seats[s].readyState = kNotReady;
    } else if (space && seat.readyState == kNotReady) {
        EndRoundForSeat(engine, s, now);
    } else if (KeyDown(engine, s, kKeyLeft) && seat.cellX != 0) {
        MoveToColumn(engine, s, 0, kKeyLeft, now);
    } else if (KeyDown(engine, s, kKeyRight) && seat.cellX != 1) {
        MoveToColumn(engine, s, 1, kKeyRight, now);
    } else if (KeyDown(engine, s, kKeyUp) && seat.cellY != 0) {
        MoveToRow(engine, s, 0, kKeyUp, now);
    } else if (KeyDown(engine, s, kKeyDown) && seat.cellY != 1) {
        MoveToRow(engine, s, 1, kKeyDown, now);
    }
}

// Both players have ended the round: each now sees the partner's board open,
// with both figures on it.
void EndRound(Engine& engine, std::uint32_t now) {
    for (SeatRecord& seat : engine.seats) {
        seat.readyState = kSpent;
        seat.ownFigureVisible = 1;
        seat.partnerFigureVisible = 1;
        seat.displayMode = DisplayOpen;
        seat.partnerBoardDrawn = 0;
    }
    engine.roundRecord.endMs = now;
    engine.state.gameState = RoundOver;
    JudgeAndRecordRound(engine, now);
}

// The players move. A seat acts only once its figure has arrived (keys
// reported during the travel are dropped, so the figure's speed paces the
// moves) and only until it has ended the round.
void PlayRound(Engine& engine, std::uint32_t now) {
    for (int s = 0; s < kSeats; ++s) {
        const SeatRecord& seat = engine.seats[s];
        if (FigureArrived(seat) && seat.readyState != kReady) {
            ActOnKeys(engine, s, now);
        }
    }
    if (BothReady(engine)) {
        EndRound(engine, now);
    }
}

// The experimenter has released the start toggle: the game is over, the
// players wait for the next one.
void EndGame(Engine& engine) {
    engine.state.gameState = Idle;
    for (SeatRecord& seat : engine.seats) {
        seat.statusText = engine.texts[12];
        seat.statusColour = kIdleColour;
    }
    engine.state.refreshControls = 1;
    PostLogMessage(engine.state, engine.texts[44]);
}

void WantNextRound(Engine& engine, int s) {
    SeatRecord& seat = engine.seats[s];
    seat.readyState = kReady;
    seat.statusText = engine.texts[36];
    seat.statusColour = kReadyColour;
    ClearScreen(seat);
}

// The result is shown. The toggle is checked on every step, so releasing it
// while the players look at the result ends the game at once. Otherwise each
// player asks for the next round with a fresh press of the space bar; the
// presses leave both seats ready, so the new round starts as soon as it is
// set up.
void AwaitNextRound(Engine& engine) {
    if (!engine.state.settings.startToggleDown) {
        EndGame(engine);
        return;
    }
    for (int s = 0; s < kSeats; ++s) {
        const bool space = KeyDown(engine, s, kKeySpace);
        const std::int32_t ready = engine.seats[s].readyState;
        if (!space && ready == kSpent) {
            engine.seats[s].readyState = kNotReady;
        } else if (space && ready == kNotReady) {
            WantNextRound(engine, s);
        }
    }
    if (BothReady(engine)) {
        ShowFigures(engine, 1);
        engine.state.gameState = SetUp;
    }
}

}  // namespace

// Runs once per pass on the network thread, inside RunPass under state.lock,
// after the socket event and before the seats are serviced, so the key table
// it reads is the one the last replies filled. Each step does the work of
// the state it finds; a state change takes effect in the next step.
void Engine::GameStep(std::uint32_t now) {
    switch (state.gameState) {
        case Idle:
            StayIdle(*this);
            break;
        case SetUp:
            SetUpRound(now);
            break;
        case WaitStart:
            WaitForStart(*this, now);
            break;
        case Running:
            PlayRound(*this, now);
            break;
        case RoundOver:
            AwaitNextRound(*this);
            break;
        default:
            break;
    }
}

}  // namespace quib::server
