// The round record: its file number, its event lines and the position log
// lines that the round's start and the figures' arrivals add.

#include "common/key_codes.h"
#include "server/engine/engine.h"
#include "server/engine/stimulus.h"
#include "server/records/file_numbering.h"

namespace quib::server {
namespace {

// Fixed words of the event lines; the rest of the lines are language texts.
constexpr const char* kKeyWord = "Taste";
constexpr const char* kPositionWord = "Position";
constexpr int kStartWord = 138;

bool IsSeat(std::int32_t seat) {
    return seat >= 0 && seat < kSeats;
}

// The timer wraps, so a difference is taken on the unsigned values and read
// as signed: an event is never long before its round or game started.
std::int32_t Since(std::uint32_t now, std::uint32_t start) {
    return static_cast<std::int32_t>(now - start);
}

std::string ClockSince(std::uint32_t now, std::uint32_t start) {
    return FormatClock(Since(now, start) / 1000);
}

std::string KeyName(const ServerTexts& texts, std::int32_t code) {
    switch (code) {
        case kKeySpace:
            return texts[157];
        case kKeyLeft:
            return texts[158];
        case kKeyRight:
            return texts[159];
        case kKeyUp:
            return texts[160];
        case kKeyDown:
            return texts[161];
        default:
            return std::to_string(code);
    }
}

void AppendEventLine(Engine& engine, std::uint32_t now, std::int32_t seatNumber,
                     const std::string& kind, const std::string& information) {
    const std::uint32_t start = engine.roundRecord.startMs;
    engine.roundRecord.events.push_back(std::to_string(Since(now, start)) + ";" +
                                        ClockSince(now, start) + ";" + std::to_string(seatNumber) +
                                        ";" + kind + ";" + information);
}

// One line of the position log, 17 fields: where the game, the round and
// both figures stand, both boards, and for a round start the cells the
// players could agree on.
void AppendPositionLine(Engine& engine, std::uint32_t now, const std::string& matches) {
    const GameRecord& game = engine.gameRecord;
    std::string line =
        std::to_string(engine.positionLogCount) + ";" + ClockSince(now, game.startMs) + ";" +
        ClockSince(now, engine.roundRecord.startMs) + ";" + std::to_string(game.rounds + 1) + ";" +
        std::to_string(game.prevWon) + ";" + std::to_string(game.streak) + ";";
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int cell = 0; cell < kCells; ++cell) {
            line += engine.DescribeStimulus(seat, cell) + ";";
        }
    }
    for (int seat = 0; seat < kSeats; ++seat) {
        line += CellLetter(engine.texts, seat, CellIndex(engine.seats[seat])) + ";";
    }
    engine.positionLogText += line + matches + "\n";
    engine.positionLogCount += 1;
}

}  // namespace

void Engine::BeginRoundRecord(std::uint32_t now) {
    const std::int32_t number = NextFreeNumber(logDir, 'r');
    roundRecord = RoundRecord{};
    // With every number taken the round gets no name, so that writing it fails
    // with a message instead of replacing a file under a made-up name.
    roundRecord.fileName = number >= 0 ? NumberedFileName('r', number) : std::string();
    roundRecord.startMs = now;
}

std::string Engine::DescribeStimulus(int seat, int cell) const {
    if (!IsSeat(seat)) {
        return {};
    }
    return server::DescribeStimulus(texts, seats[seat], cell);
}

void Engine::LogRoundEvent(std::int32_t kind, std::int32_t code, std::int32_t seat,
                           std::uint32_t now) {
    switch (kind) {
        case RoundStartEvent:
            AppendEventLine(*this, now, 0, texts[kStartWord], "");
            AppendPositionLine(*this, now, MatchList(texts, seats));
            break;
        case KeyEvent:
            if (!IsSeat(seat)) {
                return;
            }
            if (IsArrowKey(code)) {
                roundRecord.moves[seat] += 1;
            }
            AppendEventLine(*this, now, seat + 1, kKeyWord, KeyName(texts, code));
            break;
        case PositionEvent:
            if (!IsSeat(seat)) {
                return;
            }
            AppendEventLine(*this, now, seat + 1, kPositionWord, CellLetter(texts, seat, code));
            AppendPositionLine(*this, now, "");
            break;
        default:
            break;
    }
}

}  // namespace quib::server
