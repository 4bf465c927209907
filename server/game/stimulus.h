#pragma once

#include <array>
#include <string>

#include "server/core/texts.h"
#include "server/game/seat_record.h"
#include "server/records/record_text.h"

namespace quib::server {

// The colours a cell's figures are drawn in: four drawn at random, then the
// neutral grey of the colourless levels. Language texts txt93 .. txt97 name
// them in the record files.
inline constexpr int kHighestRandomColour = 3;
inline constexpr int kGreyColour = kHighestRandomColour + 1;
inline constexpr std::array<Colour, kGreyColour + 1> kColourTable = {
    Rgb(255, 100, 100), Rgb(255, 255, 100), Rgb(100, 255, 100), Rgb(100, 100, 255),
    Rgb(175, 175, 175)};

// Shapes: 0 circle, 1 triangle, 2 square, 3 pentagon.
inline constexpr int kHighestShape = 3;

// The cell a seat's figure stands on or travels to: 0 top left, 1 top right,
// 2 bottom left, 3 bottom right.
inline int CellIndex(const SeatRecord& seat) {
    return seat.cellX + 2 * seat.cellY;
}

// The judgement rule: two cells hold the same stimulus when their two
// figures (colour and shape) are equal, in the same or in swapped order, and
// their contact flags are equal. Fields a level does not use hold the same
// fixed values on both boards, so they never tell two cells apart. A cell
// outside the board matches nothing.
bool SameStimulus(const SeatRecord& first, int firstCell, const SeatRecord& second, int secondCell);

// The round's judgement: both figures stand on the same stimulus, whichever
// cells they are on.
bool FiguresOnSameStimulus(const std::array<SeatRecord, kSeats>& seats);

// The text form of one cell's stimulus in the record files, by the seat's level:
// the colour word of figure A below level 4, its short shape word from level
// 2, and from level 3 (and at 5 and 6) the contact mark and figure B
// (level 1 "rot", 2 "rot K", 3 "rot K N blau Q", 4 " K", 5 and 6 " K NK").
std::string DescribeStimulus(const ServerTexts& texts, const SeatRecord& seat, int cell);

// Every pair of a seat-0 cell and a seat-1 cell holding the same stimulus, as
// the two cell letters, joined with "," in the order seat 0's cells, then
// seat 1's ("Ab,Cd"): the targets the players could have agreed on.
std::string MatchList(const ServerTexts& texts, const std::array<SeatRecord, kSeats>& seats);

}  // namespace quib::server
