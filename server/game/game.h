#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/game/game_record.h"
#include "server/game/random_source.h"
#include "server/game/round_record.h"
#include "server/game/seat_record.h"
#include "server/game/statistics.h"
#include "server/records/finished_round.h"
#include "server/records/record_numbers.h"
#include "server/records/record_writer.h"

namespace quib::server {

inline constexpr int kKeyCodes = 256;

// [seat][Windows virtual-key code]: the keys reported in the seat's last
// reply (usually 1 for a key held down, 0 otherwise).
using KeyTable = std::array<std::array<std::int32_t, kKeyCodes>, kSeats>;

// What ResetScreens resets besides marking both screens unsent.
enum class ScreenReset : std::int32_t {
    MarkUnsent = 0,  // after a seat was lost: the next frames rebuild both screens
    Full = 1,        // program start: also the seats' texts, colours and readiness
};

// The score resets behind the experimenter's buttons: everything (start-up),
// the current series ("Punkte Reset"), best and current series ("Rekord
// Reset"), the panel rows ("Statistik Reset").
enum class ResetKind : int { Everything = -1, Series = 1, Record = 2, Panel = 3 };

// The game itself, without sockets or pictures: both seats with their boards
// and figures, the keys the players hold, the round set-up, the state
// machine that turns keys into moves, the judgement and the scores, the
// server statistics, and the game's and the running round's records. At the
// end of each round it hands over one FinishedRound for the record files.
//
// Threads (docs/threads.md): the network thread runs Step and everything it
// calls, inside its pass under stateLock; the main thread calls only the
// commands BeginGame, Abort and ResetScores, under stateLock, through the
// engine's door (which refuses while the network thread is paused in a box).
class Game {
  public:
    Game(ServerState& state, const ServerTexts& texts, RecordNumbers& numbers);

    // --- Commands of the experimenter (main thread, under stateLock) ---

    // The start toggle went down with no game running: a new game record
    // (the next free game number, the start time, every counter 0, an empty
    // position log), both seats waiting, gameState SetUp.
    void BeginGame(std::uint32_t nowMs, const LocalTime& now);
    // The game record part of BeginGame alone.
    void BeginGameRecord(std::uint32_t nowMs, const LocalTime& now);
    // The game is aborted: both screens emptied, gameState Idle.
    void Abort();
    void ResetScores(ResetKind kind);

    // --- The network thread's work ---

    // Marks everything of both players' screens unsent so that the next
    // update frames rebuild them.
    void ResetScreens(ScreenReset reset);
    // One step of the game, once per pass between the socket event and the
    // seats' service. See game_step.cpp.
    void Step(std::uint32_t now);
    // Draws the next round from state.settings into both seats, prepares the
    // round record and waits for the players to start (gameState
    // WaitStart). The random source is reseeded with `now`. See
    // round_setup.cpp.
    void SetUpRound(std::uint32_t now);
    // Starts the round record: the next free round number, `now` as the
    // round's start, no moves, no event lines.
    void BeginRoundRecord(std::uint32_t now);
    // Records an event of the running round: appends its event line, counts
    // arrow keys as moves, and adds a position line for the start and for
    // each arrival. A key or arrival of a seat other than 0 or 1 records
    // nothing. See round_events.cpp.
    void LogRoundEvent(RoundEventKind kind, std::int32_t code, std::int32_t seat,
                       std::uint32_t now);
    // The record files' text form of the stimulus in one cell of a seat's board.
    std::string DescribeStimulus(int seat, int cell) const;
    // A seat's player has gone: its keys must not keep steering the figure.
    void ForgetKeys(int seat);

    // The round judged in the last step, once, for its files to be written.
    std::optional<FinishedRound> TakeFinishedRound();
    // What writing the round's files achieved: the subjects' counters follow
    // their files.
    void RoundRecorded(const RecordOutcome& outcome);

    // The finished round as the record files describe it, from the game as
    // it stands after the round's judgement and counting.
    FinishedRound DescribeFinishedRound(std::uint32_t now) const;
    // Counts the judged round in the game record, hands it over for its
    // files, and updates the statistics and the players' score lines.
    void RecordRound(std::uint32_t now);

    ServerState& state;
    const ServerTexts& texts;

    std::array<SeatRecord, kSeats> seats;
    KeyTable keyTable{};
    ServerStatistics statistics;
    GameRecord gameRecord;
    RoundRecord roundRecord;
    // The game-wide position log: one line per round start and per figure
    // arrival, handed over with every finished round for its position file.
    // The count numbers the lines across the whole game.
    std::string positionLogText;
    std::int32_t positionLogCount = 0;
    // [seat]: the partner has just ended the round, so the seat's screen must
    // be refreshed; set by Step, read and cleared by the screen composition.
    std::array<std::int32_t, kSeats> partnerFinished{};
    // Millisecond timer at the set-up of the running round.
    std::uint32_t roundStartMs = 0;
    // Where the figure pictures lie: the partner variants are looked up here.
    std::filesystem::path grafikDir;
    // The wall clock for the dates and times written into the files.
    std::function<LocalTime()> localClock = CurrentLocalTime;
    // Reseeded at every round set-up; tests put in a scripted source.
    std::unique_ptr<RandomSource> randomSource = std::make_unique<TimerSeededRandom>();

  private:
    RecordNumbers& numbers_;
    std::optional<FinishedRound> finished_;
};

}  // namespace quib::server
