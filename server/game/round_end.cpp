// The round end: who won, what the players are told, and what the round adds
// to the game record and the server statistics; the record files are
// written from the finished round the game hands over.

#include "server/game/round_end.h"

#include <string>

#include "server/game/game.h"
#include "server/game/statistics.h"
#include "server/game/status_colours.h"
#include "server/game/stimulus.h"
#include "server/records/record_text.h"

namespace quib::server {
namespace {

void ShowResult(Game& game, bool won) {
    const std::string result = game.texts[won ? txt::kWon : txt::kLost] + "!";
    for (SeatRecord& seat : game.seats) {
        seat.statusText = result;
        seat.statusColour = won ? kReadyColour : kNotReadyColour;
    }
    game.roundRecord.won = won ? 1 : 0;
}

// Whether the players may go on is the experimenter's start toggle: down,
// the game continues after this round.
void TellWhatComesNext(Game& game) {
    const int next =
        game.state.settings.startToggleDown ? txt::kSpaceForNextGame : txt::kPleaseWait;
    game.seats[0].statusText += " " + game.texts[next];
    game.seats[1].statusText = game.seats[0].statusText;
}

void CountInGame(GameRecord& game, std::int32_t won, std::int32_t durationMs) {
    game.rounds += 1;
    game.activeMs += durationMs;
    game.points += won;
    if (won == 1) {
        game.streak += 1;
        if (game.streak > game.best) {
            game.best = game.streak;
        }
    } else {
        game.streak = 0;
    }
}

void UpdateStatistics(Game& game, std::int32_t won, std::int32_t durationMs) {
    CountRound(game.statistics, won, durationMs, game.seats[0].level);
    const std::string score = ScoreText(game.statistics, game.texts);
    for (SeatRecord& seat : game.seats) {
        seat.scoreText = score;
    }
    game.state.refreshStatistics = 1;
}

RecordedSeat DescribeSeat(const Game& game, int s) {
    const SeatRecord& seat = game.seats[s];
    RecordedSeat recorded;
    recorded.subject = game.state.subjects[s];
    recorded.level = seat.level;
    recorded.pictureName = seat.pictureName;
    recorded.displayMode = seat.playedDisplayMode;
    recorded.startCell = seat.startCellX + 2 * seat.startCellY;
    recorded.endCell = CellIndex(seat);
    recorded.moves = game.roundRecord.moves[s];
    for (int cell = 0; cell < kCells; ++cell) {
        recorded.stimuli[cell] = game.DescribeStimulus(s, cell);
    }
    return recorded;
}

}  // namespace

void JudgeAndRecordRound(Game& game, std::uint32_t now) {
    ShowResult(game, FiguresOnSameStimulus(game.seats));
    PostLogMessage(game.state, game.texts[txt::kRoundEnded] + " " + game.seats[0].statusText);
    TellWhatComesNext(game);
    game.RecordRound(now);
}

FinishedRound Game::DescribeFinishedRound(std::uint32_t now) const {
    FinishedRound round;
    const GameRecord& game = gameRecord;
    round.game = {game.number, game.fileName, game.startDate, game.startMs, game.points,
                  game.best,   game.streak,   game.rounds,    game.activeMs};
    round.fileName = roundRecord.fileName;
    round.startMs = roundRecord.startMs;
    round.endMs = roundRecord.endMs;
    round.won = roundRecord.won;
    round.events = roundRecord.events;
    round.positionLines = positionLogText;
    for (int s = 0; s < kSeats; ++s) {
        round.seats[s] = DescribeSeat(*this, s);
    }
    round.speedText = state.settings.speedText;
    round.startTexts = state.settings.startText;
    round.recordedAtMs = now;
    round.recordedAt = localClock();
    return round;
}

void Game::RecordRound(std::uint32_t now) {
    const std::int32_t won = roundRecord.won;
    const std::int32_t durationMs = RecordedMs(roundRecord.endMs, roundRecord.startMs);
    CountInGame(gameRecord, won, durationMs);
    finished_ = DescribeFinishedRound(now);
    // The round takes its position lines along; the writer keeps them with
    // the round until its files are written.
    positionLogText.clear();
    // The next round's position lines report this as the previous result.
    gameRecord.prevWon = won;
    UpdateStatistics(*this, won, durationMs);
}

}  // namespace quib::server
