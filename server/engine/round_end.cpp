// The round end: who won, what the players are told, and what the round adds
// to the game record, the files and the server statistics.

#include "server/engine/round_end.h"

#include <string>

#include "server/engine/engine.h"
#include "server/engine/protocol_files.h"
#include "server/engine/statistics.h"
#include "server/engine/status_colours.h"
#include "server/engine/stimulus.h"

namespace quib::server {
namespace {

constexpr int kWaitText = 12;        // "Bitte warten ..."
constexpr int kLostText = 39;        // "Verloren"
constexpr int kWonText = 40;         // "Gewonnen"
constexpr int kRoundEndedText = 41;  // "Runde beendet ..."
constexpr int kContinueText = 43;    // "Mit Leertaste neues Spiel starten ..."
constexpr int kNotSavedText = 10;    // "Fehler!!! Runde und Spiel konnte nicht ..."

void ShowResult(Engine& engine, bool won) {
    const std::string result = engine.texts[won ? kWonText : kLostText] + "!";
    for (SeatRecord& seat : engine.seats) {
        seat.statusText = result;
        seat.statusColour = won ? kReadyColour : kNotReadyColour;
    }
    engine.roundRecord.won = won ? 1 : 0;
}

// Whether the players may go on is the experimenter's start toggle: down,
// the game continues after this round.
void TellWhatComesNext(Engine& engine) {
    const int next = engine.state.settings.startToggleDown ? kContinueText : kWaitText;
    engine.seats[0].statusText += " " + engine.texts[next];
    engine.seats[1].statusText = engine.seats[0].statusText;
}

// The millisecond timer wraps; the unsigned difference stays right across
// the wrap.
std::int32_t RoundDurationMs(const RoundRecord& round) {
    return static_cast<std::int32_t>(round.endMs - round.startMs);
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

// The game and subject files continue the round file, so without it they
// are left as they are and the log view says which round is missing.
void WriteRoundFiles(Engine& engine, std::uint32_t now) {
    if (WriteRoundProtocol(engine, now)) {
        WriteGameProtocols(engine, now);
    } else {
        PostLogMessage(engine.state,
                       engine.texts[kNotSavedText] + " " + engine.roundRecord.fileName);
    }
}

}  // namespace

void JudgeAndRecordRound(Engine& engine, std::uint32_t now) {
    ShowResult(engine, FiguresOnSameStimulus(engine.seats));
    PostLogMessage(engine.state, engine.texts[kRoundEndedText] + " " + engine.seats[0].statusText);
    TellWhatComesNext(engine);
    RecordRound(engine, now);
}

void RecordRound(Engine& engine, std::uint32_t now) {
    const std::int32_t won = engine.roundRecord.won;
    const std::int32_t durationMs = RoundDurationMs(engine.roundRecord);
    CountInGame(engine.gameRecord, won, durationMs);
    WriteRoundFiles(engine, now);
    // The next round's position lines report this as the previous result.
    engine.gameRecord.prevWon = won;
    UpdateStatistics(engine, won, durationMs);
}

void UpdateStatistics(Engine& engine, std::int32_t won, std::int32_t durationMs) {
    CountRound(engine.statistics, won, durationMs, engine.seats[0].level);
    const std::string score = ScoreText(engine.statistics, engine.texts);
    for (SeatRecord& seat : engine.seats) {
        seat.scoreText = score;
    }
    engine.state.refreshStatistics = 1;
}

}  // namespace quib::server
