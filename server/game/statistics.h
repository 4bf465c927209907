#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "server/core/texts.h"

namespace quib::server {

// One row of the statistics panel: time in ms, points, rounds. The row of
// the last round holds its duration, its result (0 or 1) and the running
// series after it in the same three places.
struct StatisticsRow {
    std::int32_t ms = 0;
    std::int32_t points = 0;
    std::int32_t rounds = 0;
};

// The counters of the whole server run, part of the Game (docs/threads.md).
struct ServerStatistics {
    std::int32_t currentSeries = 0;  // won rounds in a row, across games
    std::int32_t bestSeries = 0;     // highest currentSeries reached
    std::int32_t runningSeries = 0;  // cleared only by the statistics reset
    StatisticsRow currentRow;
    StatisticsRow lastRow;
    StatisticsRow totalRow;
    std::array<StatisticsRow, 4> levelRow{};  // index 1 to 3 used
};

// "Punkte in Serie: 3 Highscore: 5", the players' score line. Shared by the
// round end and the experimenter's reset buttons, so both show the same line.
std::string ScoreText(const ServerStatistics& statistics, const ServerTexts& texts);

// Adds a finished round (won 1 or 0, its duration, the level it was played
// at) to the series and the panel rows. Only levels 1 to 3 have a row of
// their own; rounds at the higher levels count in the other rows alone.
void CountRound(ServerStatistics& statistics, std::int32_t won, std::int32_t durationMs,
                std::int32_t level);

}  // namespace quib::server
