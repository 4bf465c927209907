// The start of a game: its number, its clock and its fresh counters.

#include <gtest/gtest.h>

#include <filesystem>

#include "server/game/game_record.h"
#include "tests/server/engine/game_fixture.h"

namespace quib::server {
namespace {

using quib::testing::GameFixture;
using quib::testing::WriteBytes;

class BeginGame : public GameFixture {};

TEST_F(BeginGame, TakesTheFirstFreeNumberInLogAndStartsFromZero) {
    WriteBytes(logDir() / "g000000.csv", "x");
    WriteBytes(logDir() / "g000002.csv", "x");
    GameRecord& game = engine->game().gameRecord;
    game = {7, "g000007.csv", 3, 3, {}, 1, 4, 9000, 1, 3};

    const LocalTime date = {2025, 12, 31, 23, 59, 58};
    engine->game().BeginGameRecord(123456, date);

    EXPECT_EQ(game.number, 1);
    EXPECT_EQ(game.fileName, "g000001.csv");
    EXPECT_EQ(game.startMs, 123456U);
    EXPECT_EQ(game.startDate.year, 2025);
    EXPECT_EQ(game.startDate.second, 58);
    EXPECT_EQ(game.points, 0);
    EXPECT_EQ(game.best, 0);
    EXPECT_EQ(game.rounds, 0);
    EXPECT_EQ(game.activeMs, 0);
    EXPECT_EQ(game.prevWon, 0);
    EXPECT_EQ(game.streak, 0);
}

// The number is only looked up: until a round has written the game's file,
// a game started next finds the same number free.
TEST_F(BeginGame, TwoGamesBeforeTheFirstFileIsWrittenShareTheNumber) {
    engine->game().BeginGameRecord(now, kGameDate);
    const std::int32_t first = engine->game().gameRecord.number;
    engine->game().BeginGameRecord(now + 1000, kGameDate);
    EXPECT_EQ(engine->game().gameRecord.number, first);
    EXPECT_EQ(engine->game().gameRecord.fileName, "g000000.csv");
}

}  // namespace
}  // namespace quib::server
