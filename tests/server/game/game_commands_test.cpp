// The experimenter's commands to the game, on a game without engine or
// window.

#include <gtest/gtest.h>

#include "server/game/game.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

struct ResetCase {
    const char* name;
    ResetKind kind;
    std::int32_t currentSeries;
    std::int32_t bestSeries;
    bool panelCleared;
    const char* scoreText;  // nullptr: unchanged
};

const ResetCase kResets[] = {
    {"Everything", ResetKind::Everything, 0, 0, true, "Punkte in Serie: 0 Highscore: 0"},
    {"PointsReset", ResetKind::Series, 0, 9, false, "Punkte in Serie: 0 Highscore: 9"},
    {"RecordReset", ResetKind::Record, 0, 0, false, "Punkte in Serie: 0 Highscore: 0"},
    {"StatisticsReset", ResetKind::Panel, 4, 9, true, nullptr},
};

class ScoreReset : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ScoreReset, ClearsItsCountersAndRewritesTheScoreLines) {
    const ServerTexts texts;
    ServerState state;
    // Numbers are never asked for by these commands.
    struct NoNumbers : RecordNumbers {
        std::int32_t NextGameNumber() override { return -1; }
        std::int32_t NextRoundNumber() override { return -1; }
    } numbers;
    Game game(state, texts, numbers);
    ServerStatistics& statistics = game.statistics;
    statistics.currentSeries = 4;
    statistics.bestSeries = 9;
    statistics.runningSeries = 2;
    statistics.totalRow = {5000, 3, 6};
    statistics.levelRow[2] = {1000, 1, 1};
    std::array<SeatRecord, 2>& seats = game.seats;
    seats[0].scoreText = seats[1].scoreText = "old";

    game.ResetScores(GetParam().kind);

    EXPECT_EQ(statistics.currentSeries, GetParam().currentSeries);
    EXPECT_EQ(statistics.bestSeries, GetParam().bestSeries);
    EXPECT_EQ(statistics.totalRow.rounds == 0 && statistics.levelRow[2].ms == 0 &&
                  statistics.runningSeries == 0,
              GetParam().panelCleared);
    const std::string expected = GetParam().scoreText ? GetParam().scoreText : "old";
    EXPECT_EQ(seats[0].scoreText, expected);
    EXPECT_EQ(seats[1].scoreText, expected);
    EXPECT_EQ(state.refreshStatistics, 1);
}

INSTANTIATE_TEST_SUITE_P(Game, ScoreReset, ::testing::ValuesIn(kResets), quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
