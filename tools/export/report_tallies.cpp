#include "tools/export/report_tallies.h"

#include <algorithm>
#include <numeric>

namespace quib::exporter {
namespace {

// The row of a round's levels: its level when both seats played the same
// one, else seats differ or not known.
std::size_t LevelRow(const ReportRound& round) {
    const auto known = [](const std::optional<int>& level) {
        return level && *level >= 1 && *level <= kLevels;
    };
    if (!known(round.p1Level) || !known(round.p2Level)) {
        return ConditionTable::kUnknownRow;
    }
    if (*round.p1Level != *round.p2Level) {
        return ConditionTable::kDifferRow;
    }
    return static_cast<std::size_t>(*round.p1Level - 1);
}

std::optional<std::size_t> DisplayIndex(const std::string& display) {
    const auto at = std::find(kDisplays.begin(), kDisplays.end(), display);
    if (at == kDisplays.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - kDisplays.begin());
}

std::size_t DisplayColumn(const ReportRound& round) {
    const std::optional<std::size_t> first = DisplayIndex(round.p1Display);
    const std::optional<std::size_t> second = DisplayIndex(round.p2Display);
    if (!first || !second) {
        return ConditionTable::kUnknownColumn;
    }
    return *first == *second ? *first : ConditionTable::kDifferColumn;
}

}  // namespace

void RoundTally::Add(const ReportRound& round) {
    ++rounds;
    withResult += round.won ? 1 : 0;
    won += round.won.value_or(0);
}

RoundTally& RoundTally::operator+=(const RoundTally& other) {
    rounds += other.rounds;
    withResult += other.withResult;
    won += other.won;
    return *this;
}

RoundTally ConditionTable::Row(std::size_t row) const {
    RoundTally sum;
    for (const RoundTally& cell : cells[row]) {
        sum += cell;
    }
    return sum;
}

RoundTally ConditionTable::Column(std::size_t column) const {
    RoundTally sum;
    for (const auto& row : cells) {
        sum += row[column];
    }
    return sum;
}

RoundTally ConditionTable::Total() const {
    RoundTally sum;
    for (std::size_t row = 0; row < kRows; ++row) {
        sum += Row(row);
    }
    return sum;
}

ConditionTable TallyConditions(const ReportData& data) {
    ConditionTable table;
    for (const ReportGame& game : data.games) {
        for (const ReportRound& round : game.roundRows) {
            table.cells[LevelRow(round)][DisplayColumn(round)].Add(round);
        }
    }
    return table;
}

std::optional<Centre> CentreOf(std::vector<double> values) {
    if (values.empty()) {
        return std::nullopt;
    }
    Centre centre;
    centre.count = values.size();
    centre.mean =
        std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    centre.median = values[middle];
    if (values.size() % 2 == 0) {
        const double below =
            *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
        centre.median = (centre.median + below) / 2;
    }
    return centre;
}

}  // namespace quib::exporter
