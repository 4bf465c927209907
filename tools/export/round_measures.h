#pragma once

// What the tables tell about a round beyond what its file writes down: when
// each player first moved, the cells each move left and made for, whether
// each player ended on a stimulus both boards hold, and how many pairs of
// cells the boards offered to win on. Worked out by the server's own rules,
// from the round file alone.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tools/export/lab_files.h"

namespace quib::exporter {

// The cells a key moved a figure from and to.
struct Move {
    int from = 0;
    int to = 0;
};

struct RoundMeasures {
    // Per player: from the round's start event to the first key that moved
    // the figure; nothing when the figure never moved (or the round has no
    // start event).
    std::array<std::optional<long long>, 2> firstMoveMs;
    // Per player: whether the end cell's stimulus is also on the partner's
    // board; nothing when the end cell is none of the board's four.
    std::array<std::optional<bool>, 2> endOnShared;
    // Pairs of a player 1 cell and a player 2 cell that win.
    int winningPairs = 0;
    // Per event, in the round file's order: the move a key made; nothing
    // for every other event.
    std::vector<std::optional<Move>> moves;
};

// A key moves the figure when it is an arrow the server took. The server
// takes an arrow only when the figure stands on its cell and the player has
// not ended the round, and only when it leads to a cell of the board; it
// writes no other arrow into the round file. So every arrow key of the file
// moved the figure one cell from the cell it stood on (the start cell, or
// the cell of the player's last move) in the arrow's direction; the space
// bar and other keys move nothing.
RoundMeasures MeasureRound(const RoundFile& round);

// Whether two cells hold the same stimulus by the rule the server judges a
// round by: both figures equal, in the same or in swapped order, and equal
// contact.
bool SameStimulus(const Stimulus& first, int firstLevel, const Stimulus& second, int secondLevel);

// The two seats' subjects as an unordered pair: "3-7", the smaller number
// first; a seat without subject is "none" and stands last ("3-none",
// "none-none").
std::string PairId(const std::optional<int>& first, const std::optional<int>& second);

}  // namespace quib::exporter
