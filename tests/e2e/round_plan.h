#pragma once

// How the test plays a round on two level-1 boards: which cells the two
// figures go to, and the arrows that take them there from the top left.

#include <optional>
#include <utility>
#include <vector>

#include "testing/e2e/board_reader.h"
#include "testing/e2e/record_checks.h"

namespace quib::e2e {

enum class Plan { Win, Lose };

// Target cells for both figures: a common stimulus to win, different ones
// to lose; among those, the pair that needs the most moves. Nothing when
// the boards allow no such pair.
std::optional<std::pair<int, int>> ChooseTargets(const Board& seat0, const Board& seat1, Plan plan);

// From the top left cell to `cell`: right first, then down.
std::vector<Arrow> ArrowsTo(int cell);

}  // namespace quib::e2e
