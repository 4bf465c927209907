#include "server/game/stimulus.h"

#include <cstddef>

#include "server/records/record_text.h"

namespace quib::server {
namespace {

bool OnBoard(int cell) {
    return cell >= 0 && cell < kCells;
}

// The colour names and the short shape words stand in table order.
constexpr int kFirstColourName = txt::kRed;
constexpr int kFirstShapeLetter = txt::kCircleLetter;

bool SameFigure(Colour firstColour, std::int32_t firstShape, Colour secondColour,
                std::int32_t secondShape) {
    return firstColour == secondColour && firstShape == secondShape;
}

std::string ColourWord(const ServerTexts& texts, Colour colour) {
    for (std::size_t i = 0; i < kColourTable.size(); ++i) {
        if (kColourTable[i] == colour) {
            return texts[kFirstColourName + static_cast<int>(i)];
        }
    }
    return "RGB(" + std::to_string(colour & 0xFF) + "," + std::to_string((colour >> 8) & 0xFF) +
           "," + std::to_string((colour >> 16) & 0xFF) + ")";
}

// A shape code the set-up never draws is written as its number rather than
// borrowing the word of a neighbouring text key.
std::string ShapeWord(const ServerTexts& texts, std::int32_t shape) {
    if (shape < 0 || shape > kHighestShape) {
        return std::to_string(shape);
    }
    return texts[kFirstShapeLetter + shape];
}

std::string ContactMark(const ServerTexts& texts, std::int32_t contact) {
    if (contact == 0) {
        return texts[txt::kApartMark];
    }
    return contact == 1 ? texts[txt::kTouchingMark] : std::to_string(contact);
}

bool ShowsSecondFigure(std::int32_t level) {
    return level == 3 || level == 5 || level == 6;
}

}  // namespace

bool SameStimulus(const SeatRecord& first, int firstCell, const SeatRecord& second,
                  int secondCell) {
    if (!OnBoard(firstCell) || !OnBoard(secondCell)) {
        return false;
    }
    const auto f = static_cast<std::size_t>(firstCell);
    const auto s = static_cast<std::size_t>(secondCell);
    const bool sameOrder =
        SameFigure(first.colourA[f], first.shapeA[f], second.colourA[s], second.shapeA[s]) &&
        SameFigure(first.colourB[f], first.shapeB[f], second.colourB[s], second.shapeB[s]);
    const bool swapped =
        SameFigure(first.colourA[f], first.shapeA[f], second.colourB[s], second.shapeB[s]) &&
        SameFigure(first.colourB[f], first.shapeB[f], second.colourA[s], second.shapeA[s]);
    return (sameOrder || swapped) && first.contact[f] == second.contact[s];
}

bool FiguresOnSameStimulus(const std::array<SeatRecord, kSeats>& seats) {
    return SameStimulus(seats[0], CellIndex(seats[0]), seats[1], CellIndex(seats[1]));
}

std::string DescribeStimulus(const ServerTexts& texts, const SeatRecord& seat, int cell) {
    if (!OnBoard(cell)) {
        return {};
    }
    const auto q = static_cast<std::size_t>(cell);
    const std::int32_t level = seat.level;
    std::string text;
    if (level < 4) {
        text += ColourWord(texts, seat.colourA[q]);
    }
    if (level >= 2) {
        text += " " + ShapeWord(texts, seat.shapeA[q]);
    }
    if (ShowsSecondFigure(level)) {
        text += " " + ContactMark(texts, seat.contact[q]);
        if (level == 3) {
            text += " " + ColourWord(texts, seat.colourB[q]) + " ";
        }
        text += ShapeWord(texts, seat.shapeB[q]);
    }
    return text;
}

std::string MatchList(const ServerTexts& texts, const std::array<SeatRecord, kSeats>& seats) {
    std::string list;
    for (int r = 0; r < kCells; ++r) {
        for (int s = 0; s < kCells; ++s) {
            if (!SameStimulus(seats[0], r, seats[1], s)) {
                continue;
            }
            if (!list.empty()) {
                list += ",";
            }
            list += CellLetter(texts, 0, r) + CellLetter(texts, 1, s);
        }
    }
    return list;
}

}  // namespace quib::server
