#pragma once

// The numbers the session report computes from the tables' rows, apart
// from drawing them: the rounds won per level and display over all games,
// and the mean and median of a per-round value.

#include "tools/export/report_data.h"

#include <array>
#include <optional>
#include <vector>

namespace quib::exporter {

// Rounds counted in one cell of a table. A round "with a result" is one
// whose `won` is 1 or 0; the share won is of these.
struct RoundTally {
    long long rounds = 0;
    long long withResult = 0;
    long long won = 0;

    void Add(const ReportRound& round);
    RoundTally& operator+=(const RoundTally& other);
};

// The levels a round can be played at, and the displays.
inline constexpr int kLevels = 6;
inline constexpr std::array<std::string_view, 2> kDisplays = {"open", "covered"};

// Every round of every game by the level and the display of its seats. A
// round counts for a level when both seats played it, and for a display
// when both seats had it; a round whose seats differ counts in the row (or
// column) "seats differ", and one with a level or display not known (an
// empty cell, or a value no session has) in "not known". So each round is
// in exactly one cell, and the rows and columns add up to the total.
struct ConditionTable {
    // Rows: levels 1 to 6, then seats differ, then not known.
    static constexpr std::size_t kDifferRow = kLevels;
    static constexpr std::size_t kUnknownRow = kLevels + 1;
    static constexpr std::size_t kRows = kLevels + 2;
    // Columns: open, covered, then seats differ, then not known.
    static constexpr std::size_t kDifferColumn = kDisplays.size();
    static constexpr std::size_t kUnknownColumn = kDisplays.size() + 1;
    static constexpr std::size_t kColumns = kDisplays.size() + 2;

    std::array<std::array<RoundTally, kColumns>, kRows> cells{};

    RoundTally Row(std::size_t row) const;
    RoundTally Column(std::size_t column) const;
    RoundTally Total() const;
};

ConditionTable TallyConditions(const ReportData& data);

struct Centre {
    double mean = 0;
    double median = 0;
    std::size_t count = 0;
};

// Mean and median of `values` (the median of an even count is the mean of
// the two middle values); nothing for no values.
std::optional<Centre> CentreOf(std::vector<double> values);

}  // namespace quib::exporter
