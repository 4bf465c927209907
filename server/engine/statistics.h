#pragma once

#include <array>
#include <cstdint>

namespace quib::server {

// One row of the statistics panel: time in ms, points, rounds. The row of
// the last round holds its duration, its result (0 or 1) and the running
// series after it in the same three places.
struct StatisticsRow {
    std::int32_t ms = 0;
    std::int32_t points = 0;
    std::int32_t rounds = 0;
};

// The counters of the whole server run. Owned by the network thread; the main
// thread reads them for the panel and resets them, under stateLock.
struct ServerStatistics {
    std::int32_t currentSeries = 0;  // won rounds in a row, across games
    std::int32_t bestSeries = 0;     // highest currentSeries reached
    std::int32_t runningSeries = 0;  // cleared only by the statistics reset
    StatisticsRow currentRow;
    StatisticsRow lastRow;
    StatisticsRow totalRow;
    std::array<StatisticsRow, 4> levelRow{};  // index 1 to 3 used
};

}  // namespace quib::server
