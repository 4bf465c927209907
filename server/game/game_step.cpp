// The game's share of every pass of the network thread: the state machine
// that sets rounds up, waits for both players to start, turns the keys they
// report into moves, ends the round and waits for the next one.

#include "common/key_codes.h"
#include "server/game/game.h"
#include "server/game/round_end.h"
#include "server/game/status_colours.h"

namespace quib::server {
namespace {

constexpr float kNearCentre = 0.25f;
constexpr float kFarCentre = 0.75f;

// Ready states of a seat. Spent means the space bar has just been used (to
// start or to end the round) and has to be let go of before it counts again.
constexpr std::int32_t kSpent = -1;
constexpr std::int32_t kNotReady = 0;
constexpr std::int32_t kReady = 1;

bool KeyDown(const Game& game, int seat, std::int32_t code) {
    return game.keyTable[seat][code] >= 1;
}

bool BothReady(const Game& game) {
    return game.seats[0].readyState == kReady && game.seats[1].readyState == kReady;
}

void ShowFigures(Game& game, std::int32_t visible) {
    for (SeatRecord& seat : game.seats) {
        seat.ownFigureVisible = visible;
        seat.partnerFigureVisible = visible;
    }
}

// No game: the players see their empty screens on the idle colour.
void StayIdle(Game& game) {
    ShowFigures(game, 0);
    for (SeatRecord& seat : game.seats) {
        seat.statusColour = kIdleColour;
    }
}

void StartRound(Game& game, std::uint32_t now) {
    for (SeatRecord& seat : game.seats) {
        seat.readyState = kSpent;
    }
    ShowFigures(game, 1);
    game.state.gameState = Running;
    game.LogRoundEvent(RoundStartEvent, -1, -1, now);
    PostLogMessage(game.state, game.texts[txt::kGameRunning]);
    game.seats[0].statusText = game.texts[txt::kMoveWithArrows];
    game.seats[1].statusText = game.seats[0].statusText;
    for (SeatRecord& seat : game.seats) {
        seat.statusColour = kRunningColour;
    }
}

// The round is built; each player says "ready" with the space bar. A seat
// still ready from continuing the previous round counts at once.
void WaitForStart(Game& game, std::uint32_t now) {
    for (int s = 0; s < kSeats; ++s) {
        SeatRecord& seat = game.seats[s];
        if (KeyDown(game, s, kKeySpace) && seat.readyState == kNotReady) {
            seat.readyState = kReady;
            seat.statusText = game.texts[txt::kWaitForPartner];
            seat.statusColour = kReadyColour;
            game.LogRoundEvent(KeyEvent, kKeySpace, s, now);
        }
    }
    if (BothReady(game)) {
        StartRound(game, now);
    }
}

// Exact comparison: the screen composition sets the shown position to the
// target itself when the figure arrives.
bool FigureArrived(const SeatRecord& seat) {
    return seat.shownX == seat.targetX && seat.shownY == seat.targetY;
}

void EndRoundForSeat(Game& game, int s, std::uint32_t now) {
    SeatRecord& seat = game.seats[s];
    seat.readyState = kReady;
    game.partnerFinished[1 - s] = 1;
    seat.statusText = game.texts[txt::kWaitForPartner];
    seat.statusColour = kReadyColour;
    game.LogRoundEvent(KeyEvent, kKeySpace, s, now);
}

void MoveToColumn(Game& game, int s, std::int32_t column, std::int32_t key, std::uint32_t now) {
    SeatRecord& seat = game.seats[s];
    seat.cellX = column;
    seat.targetX = column == 0 ? kNearCentre : kFarCentre;
    game.LogRoundEvent(KeyEvent, key, s, now);
}

void MoveToRow(Game& game, int s, std::int32_t row, std::int32_t key, std::uint32_t now) {
    SeatRecord& seat = game.seats[s];
    seat.cellY = row;
    seat.targetY = row == 0 ? kNearCentre : kFarCentre;
    game.LogRoundEvent(KeyEvent, key, s, now);
}

// At most one action per seat and step, the first that applies: letting go
// of a spent space bar, ending the round, then one cell left, right, up or
// down. An arrow that points off the board is passed over, so of several
// arrows the first that leads somewhere wins and no move is ever diagonal.
void ActOnKeys(Game& game, int s, std::uint32_t now) {
    const SeatRecord& seat = game.seats[s];
    const bool space = KeyDown(game, s, kKeySpace);
    if (!space && seat.readyState == kSpent) {
        game.seats[s].readyState = kNotReady;
    } else if (space && seat.readyState == kNotReady) {
        EndRoundForSeat(game, s, now);
    } else if (KeyDown(game, s, kKeyLeft) && seat.cellX != 0) {
        MoveToColumn(game, s, 0, kKeyLeft, now);
    } else if (KeyDown(game, s, kKeyRight) && seat.cellX != 1) {
        MoveToColumn(game, s, 1, kKeyRight, now);
    } else if (KeyDown(game, s, kKeyUp) && seat.cellY != 0) {
        MoveToRow(game, s, 0, kKeyUp, now);
    } else if (KeyDown(game, s, kKeyDown) && seat.cellY != 1) {
        MoveToRow(game, s, 1, kKeyDown, now);
    }
}

// Both players have ended the round: each now sees the partner's board open,
// with both figures on it.
void EndRound(Game& game, std::uint32_t now) {
    for (SeatRecord& seat : game.seats) {
        seat.readyState = kSpent;
        seat.ownFigureVisible = 1;
        seat.partnerFigureVisible = 1;
        seat.displayMode = DisplayOpen;
        seat.partnerBoardDrawn = 0;
    }
    game.roundRecord.endMs = now;
    game.state.gameState = RoundOver;
    JudgeAndRecordRound(game, now);
}

// The players move. A seat acts only once its figure has arrived (keys
// reported during the travel are dropped, so the figure's speed paces the
// moves) and only until it has ended the round.
void PlayRound(Game& game, std::uint32_t now) {
    for (int s = 0; s < kSeats; ++s) {
        const SeatRecord& seat = game.seats[s];
        if (FigureArrived(seat) && seat.readyState != kReady) {
            ActOnKeys(game, s, now);
        }
    }
    if (BothReady(game)) {
        EndRound(game, now);
    }
}

// The experimenter has released the start toggle: the game is over, the
// players wait for the next one.
void EndGame(Game& game) {
    game.state.gameState = Idle;
    for (SeatRecord& seat : game.seats) {
        seat.statusText = game.texts[txt::kPleaseWait];
        seat.statusColour = kIdleColour;
    }
    game.state.refreshControls = 1;
    PostLogMessage(game.state, game.texts[txt::kGameOver]);
}

void WantNextRound(Game& game, int s) {
    SeatRecord& seat = game.seats[s];
    seat.readyState = kReady;
    seat.statusText = game.texts[txt::kWaitForPartner];
    seat.statusColour = kReadyColour;
    ClearScreen(seat);
}

// The result is shown. The toggle is checked on every step, so releasing it
// while the players look at the result ends the game at once. Otherwise each
// player asks for the next round with a fresh press of the space bar; the
// presses leave both seats ready, so the new round starts as soon as it is
// set up.
void AwaitNextRound(Game& game) {
    if (!game.state.settings.startToggleDown) {
        EndGame(game);
        return;
    }
    for (int s = 0; s < kSeats; ++s) {
        const bool space = KeyDown(game, s, kKeySpace);
        const std::int32_t ready = game.seats[s].readyState;
        if (!space && ready == kSpent) {
            game.seats[s].readyState = kNotReady;
        } else if (space && ready == kNotReady) {
            WantNextRound(game, s);
        }
    }
    if (BothReady(game)) {
        ShowFigures(game, 1);
        game.state.gameState = SetUp;
    }
}

}  // namespace

// Runs once per pass on the network thread, inside RunPass under state.lock,
// after the socket event and before the seats are serviced, so the key table
// it reads is the one the last replies filled. Each step does the work of
// the state it finds; a state change takes effect in the next step.
void Game::Step(std::uint32_t now) {
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
