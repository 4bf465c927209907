// The round record: its file number, its event lines and the position lines
// that the round's start and the figures' arrivals add.

#include "common/key_codes.h"
#include "server/game/game.h"
#include "server/game/stimulus.h"
#include "server/records/file_numbering.h"
#include "server/records/round_lines.h"

namespace quib::server {
namespace {

// Fixed words of the event lines; the rest of the lines are language texts.
constexpr const char* kKeyWord = "Taste";
constexpr const char* kPositionWord = "Position";

bool IsSeat(std::int32_t seat) {
    return seat >= 0 && seat < kSeats;
}

std::string KeyName(const ServerTexts& texts, std::int32_t code) {
    switch (code) {
        case kKeySpace:
            return texts[txt::kSpaceKey];
        case kKeyLeft:
            return texts[txt::kLeftKey];
        case kKeyRight:
            return texts[txt::kRightKey];
        case kKeyUp:
            return texts[txt::kUpKey];
        case kKeyDown:
            return texts[txt::kDownKey];
        default:
            return std::to_string(code);
    }
}

void AppendEventLine(Game& game, std::uint32_t now, std::int32_t seatNumber,
                     const std::string& kind, const std::string& information) {
    game.roundRecord.events.push_back(
        RoundEventLine(now, game.roundRecord.startMs, seatNumber, kind, information));
}

void AppendPositionLine(Game& game, std::uint32_t now, const std::string& matches) {
    const GameRecord& record = game.gameRecord;
    const PositionMoment moment{game.positionLogCount, now,
                                record.startMs,        game.roundRecord.startMs,
                                record.rounds + 1,     record.prevWon,
                                record.streak};
    std::array<std::array<std::string, kCells>, kSeats> stimuli;
    std::array<std::string, kSeats> cells;
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int cell = 0; cell < kCells; ++cell) {
            stimuli[seat][cell] = game.DescribeStimulus(seat, cell);
        }
        cells[seat] = CellLetter(game.texts, seat, CellIndex(game.seats[seat]));
    }
    game.positionLogText += PositionLine(moment, stimuli, cells, matches);
    game.positionLogCount += 1;
}

}  // namespace

void Game::BeginRoundRecord(std::uint32_t now) {
    const std::int32_t number = numbers_.NextRoundNumber();
    roundRecord = RoundRecord{};
    // With every number taken the round gets no name, so that writing it fails
    // with a message instead of replacing a file under a made-up name.
    roundRecord.fileName = number >= 0 ? NumberedFileName('r', number) : std::string();
    roundRecord.startMs = now;
}

std::string Game::DescribeStimulus(int seat, int cell) const {
    if (!IsSeat(seat)) {
        return {};
    }
    return server::DescribeStimulus(texts, seats[seat], cell);
}

void Game::LogRoundEvent(RoundEventKind kind, std::int32_t code, std::int32_t seat,
                         std::uint32_t now) {
    switch (kind) {
        case RoundStartEvent:
            AppendEventLine(*this, now, 0, texts[txt::kStartEvent], "");
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
