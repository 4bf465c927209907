#include "tests/e2e/round_plan.h"

namespace quib::e2e {
namespace {

int Moves(int r, int s) {
    return r % 2 + r / 2 + s % 2 + s / 2;
}

}  // namespace

std::optional<std::pair<int, int>> ChooseTargets(const Board& seat0, const Board& seat1,
                                                 Plan plan) {
    std::optional<std::pair<int, int>> best;
    for (int r = 0; r < 4; ++r) {
        for (int s = 0; s < 4; ++s) {
            const bool same =
                seat0[static_cast<std::size_t>(r)] == seat1[static_cast<std::size_t>(s)];
            if (same != (plan == Plan::Win)) {
                continue;
            }
            if (!best || Moves(r, s) > Moves(best->first, best->second)) {
                best = std::pair{r, s};
            }
        }
    }
    return best;
}

std::vector<Arrow> ArrowsTo(int cell) {
    std::vector<Arrow> arrows;
    if (cell % 2 == 1) {
        arrows.push_back(Arrow::Right);
    }
    if (cell / 2 == 1) {
        arrows.push_back(Arrow::Down);
    }
    return arrows;
}

}  // namespace quib::e2e
