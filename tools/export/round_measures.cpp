#include "tools/export/round_measures.h"

#include <cstdint>
#include <span>
#include <string_view>

#include "common/key_codes.h"
#include "server/game/seat_record.h"
#include "server/game/stimulus.h"
#include "tools/export/vocabulary.h"

namespace quib::exporter {
namespace {

bool OnBoard(int cell) {
    return cell >= 0 && cell < server::kCells;
}

// A colour as the server keeps it. An empty part is what the round set-up
// leaves a part the level does not draw at: the neutral grey from level 4
// on, else 0.
server::Colour ColourOf(const std::string& name, int level) {
    if (name.empty()) {
        return level > 3 ? server::kColourTable[server::kGreyColour] : 0;
    }
    const std::span<const std::string_view> colours = ColourNames();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (name == colours[i]) {
            return server::kColourTable[i];
        }
    }
    const unsigned long rgb = std::stoul(name.substr(1), nullptr, 16);  // "#rrggbb"
    return server::Rgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::int32_t ShapeOf(const std::string& name) {
    const std::span<const std::string_view> shapes = ShapeNames();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (name == shapes[i]) {
            return static_cast<std::int32_t>(i);
        }
    }
    return 0;
}

void PutCell(server::SeatRecord& seat, std::size_t cell, const Stimulus& stimulus) {
    seat.colourA[cell] = ColourOf(stimulus.colour, seat.level);
    seat.shapeA[cell] = ShapeOf(stimulus.shape);
    seat.colourB[cell] = ColourOf(stimulus.secondColour, seat.level);
    seat.shapeB[cell] = ShapeOf(stimulus.secondShape);
    seat.contact[cell] = stimulus.relation == "touching" ? 1 : 0;
}

// A player's board as the server held it, so that the server's own rule
// judges it.
server::SeatRecord Board(const RoundFile& round, std::size_t seat) {
    server::SeatRecord board;
    board.level = round.players[seat].level;
    for (std::size_t cell = 0; cell < round.stimuli[seat].size(); ++cell) {
        PutCell(board, cell, round.stimuli[seat][cell]);
    }
    return board;
}

// The cell an arrow leads to from `cell`; nothing for another key, or for
// an arrow that points off the board.
std::optional<int> Neighbour(int cell, int key) {
    if (!OnBoard(cell)) {
        return std::nullopt;
    }
    const int column = cell % 2;
    const int row = cell / 2;
    switch (key) {
        case kKeyLeft:
            return column == 1 ? std::optional<int>(cell - 1) : std::nullopt;
        case kKeyRight:
            return column == 0 ? std::optional<int>(cell + 1) : std::nullopt;
        case kKeyUp:
            return row == 1 ? std::optional<int>(cell - 2) : std::nullopt;
        case kKeyDown:
            return row == 0 ? std::optional<int>(cell + 2) : std::nullopt;
        default:
            return std::nullopt;
    }
}

void MeasureMoves(const RoundFile& round, RoundMeasures& measures) {
    std::optional<long long> startMs;
    std::array<int, 2> at = round.startCells;  // each figure's cell, or the cell it makes for
    for (const RoundEvent& event : round.events) {
        std::optional<Move> move;
        const auto player = static_cast<std::size_t>(event.player - 1);
        if (event.kind == EventKind::Start && !startMs) {
            startMs = event.ms;
        } else if (event.kind == EventKind::Position) {
            at[player] = event.cell;
        } else if (event.kind == EventKind::Key) {
            if (const std::optional<int> to = Neighbour(at[player], event.key.code)) {
                move = Move{at[player], *to};
                at[player] = *to;
                if (startMs && !measures.firstMoveMs[player]) {
                    measures.firstMoveMs[player] = event.ms - *startMs;
                }
            }
        }
        measures.moves.push_back(move);
    }
}

}  // namespace

RoundMeasures MeasureRound(const RoundFile& round) {
    RoundMeasures measures;
    const std::array<server::SeatRecord, 2> boards = {Board(round, 0), Board(round, 1)};
    for (int first = 0; first < server::kCells; ++first) {
        for (int second = 0; second < server::kCells; ++second) {
            if (server::SameStimulus(boards[0], first, boards[1], second)) {
                ++measures.winningPairs;
            }
        }
    }
    for (std::size_t player = 0; player < 2; ++player) {
        const int end = round.endCells[player];
        if (!OnBoard(end)) {
            continue;
        }
        bool shared = false;
        for (int other = 0; other < server::kCells; ++other) {
            shared =
                shared || (player == 0 ? server::SameStimulus(boards[0], end, boards[1], other)
                                       : server::SameStimulus(boards[0], other, boards[1], end));
        }
        measures.endOnShared[player] = shared;
    }
    MeasureMoves(round, measures);
    return measures;
}

bool SameStimulus(const Stimulus& first, int firstLevel, const Stimulus& second, int secondLevel) {
    server::SeatRecord a;
    server::SeatRecord b;
    a.level = firstLevel;
    b.level = secondLevel;
    PutCell(a, 0, first);
    PutCell(b, 0, second);
    return server::SameStimulus(a, 0, b, 0);
}

std::string PairId(const std::optional<int>& first, const std::optional<int>& second) {
    std::optional<int> low = first;
    std::optional<int> high = second;
    if (!low || (high && *high < *low)) {
        std::swap(low, high);
    }
    const auto name = [](const std::optional<int>& subject) {
        return subject ? std::to_string(*subject) : std::string("none");
    };
    return name(low) + "-" + name(high);
}

}  // namespace quib::exporter
