#include "server/game/statistics.h"

#include <algorithm>

namespace quib::server {
namespace {

bool HasLevelRow(std::int32_t level) {
    return level >= 1 && level <= 3;
}

void CountWin(ServerStatistics& statistics, std::int32_t level) {
    statistics.currentSeries += 1;
    statistics.bestSeries = std::max(statistics.bestSeries, statistics.currentSeries);
    statistics.runningSeries += 1;
    statistics.currentRow.points += 1;
    statistics.totalRow.points += 1;
    if (HasLevelRow(level)) {
        statistics.levelRow[static_cast<std::size_t>(level)].points += 1;
    }
}

}  // namespace

std::string ScoreText(const ServerStatistics& statistics, const ServerTexts& texts) {
    return texts[txt::kPointsInSeries] + ": " + std::to_string(statistics.currentSeries) + " " +
           texts[txt::kHighscore] + ": " + std::to_string(statistics.bestSeries);
}

void CountRound(ServerStatistics& statistics, std::int32_t won, std::int32_t durationMs,
                std::int32_t level) {
    if (won == 1) {
        CountWin(statistics, level);
    } else {
        statistics.currentSeries = 0;
        statistics.runningSeries = 0;
    }
    statistics.currentRow.rounds += 1;
    statistics.lastRow = {durationMs, won, statistics.runningSeries};
    statistics.totalRow.ms += durationMs;
    statistics.totalRow.rounds += 1;
    if (HasLevelRow(level)) {
        StatisticsRow& row = statistics.levelRow[static_cast<std::size_t>(level)];
        row.ms += durationMs;
        row.rounds += 1;
    }
}

}  // namespace quib::server
