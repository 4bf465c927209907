// What quib_export works out of a lab beyond copying its files: the clock
// time of every event, the moves, the first move, the end on a shared
// stimulus, the winning pairs and the pair of subjects, on a small lab
// written by hand (data/measures_lab) where each value is known; and on the
// study lab, which the server's own functions wrote, against what the
// server wrote itself.
//
// Game 0 (subject 7 in seat 1, subject 3 in seat 2, level 2): round 1 is set
// up 1250 ms after the game's start, so its events fall on fractions of a
// second; player 1 moves left 700 ms after the start, player 2 not at all,
// and both end on the one shared stimulus. Round 2 is set up 4900 ms after
// the game's start, 250 ms after round 1 ended, and its start event lies 20
// ms after that, within the same whole second as the end of round 1; both
// move twice, and player 1 ends off the shared stimulus.
// Game 1 (subject 3 and a seat without subject, level 3): round 1 is won on
// the same two figures in swapped order; the boards of round 2 share no
// stimulus, which the server never deals (so the records check reports the
// round's start line without targets).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tools/export/lab_export.h"
#include "tools/export/tidy_csv_reader.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using Row = std::map<std::string, std::string>;

std::vector<Row> ReadTable(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    TidyCsvReader reader(in, file.filename().string());
    EXPECT_TRUE(reader.ReadHeader()) << reader.Error();
    std::vector<Row> rows;
    std::vector<std::string> cells;
    while (reader.Next(cells)) {
        Row row;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row[reader.Header()[i]] = cells[i];
        }
        rows.push_back(std::move(row));
    }
    EXPECT_EQ(reader.Error(), "");
    return rows;
}

// "2025-02-12T10:00:04.920" as milliseconds since midnight (the lab's
// games are all on one day).
long long MsOfDay(const std::string& iso) {
    const long long seconds = std::stoll(iso.substr(11, 2)) * 3600 +
                              std::stoll(iso.substr(14, 2)) * 60 + std::stoll(iso.substr(17, 2));
    return seconds * 1000 + (iso.size() > 19 ? std::stoll(iso.substr(20)) : 0);
}

class MeasuresLab : public ::testing::Test {
  protected:
    void SetUp() override {
        ExportOptions options;
        options.labFolder = fs::path(QUIB_TEST_DATA_DIR) / "measures_lab";
        options.outFolder = dir.path();
        options.allowProblems = true;
        const ExportResult result = ExportLab(options);
        ASSERT_EQ(result.status, kExportProblems) << result.message;
        ASSERT_EQ(result.message,
                  "log2/g000001.csv:22: round 2 has 0 start lines (with a list of possible "
                  "targets), not 1\n");
    }

    std::vector<Row> Table(const char* name) const { return ReadTable(dir.path() / name); }

    quib::testing::ScratchDirectory dir;
};

TEST_F(MeasuresLab, EventTimesCountFromTheGamesStartToTheMillisecond) {
    const std::vector<Row> events = Table("events.csv");
    ASSERT_EQ(events.size(), 32u);
    // Game 0 began at 10:00:00; round 1 was set up at +1250 ms, round 2 at
    // +4900 ms.
    EXPECT_EQ(events[0].at("time"), "2025-02-12T10:00:02.050");  // round 1, 800 ms
    EXPECT_EQ(events[6].at("time"), "2025-02-12T10:00:04.650");  // round 1, 3400 ms: its end
    EXPECT_EQ(events[7].at("time"), "2025-02-12T10:00:04.920");  // round 2, 20 ms: its start
    EXPECT_EQ(events[7].at("kind"), "start");
}

// Within a round events may share a millisecond; a round's first event
// comes strictly after the last of the round before.
TEST_F(MeasuresLab, EventTimesOfAGameStayInOrderAcrossItsRounds) {
    struct Last {
        std::string round;
        long long ms = 0;
    };
    std::map<std::string, Last> lastOfGame;
    for (const Row& event : Table("events.csv")) {
        const long long ms = MsOfDay(event.at("time"));
        const auto [last, first] =
            lastOfGame.try_emplace(event.at("game"), Last{event.at("round"), ms});
        const std::string where = "game " + event.at("game") + " round " + event.at("round") +
                                  " at " + event.at("round_ms") + " ms";
        if (last->second.round != event.at("round")) {
            EXPECT_GT(ms, last->second.ms) << where;
        } else {
            EXPECT_GE(ms, last->second.ms) << where;
        }
        last->second = {event.at("round"), ms};
    }
    EXPECT_EQ(lastOfGame.size(), 2u);
}

struct RoundCase {
    const char* name;
    const char* game;
    const char* round;
    const char* firstMove[2];
    const char* endOnShared[2];
    const char* winningPairs;
    const char* pair;
};

const RoundCase kRounds[] = {
    {"OnlyPlayer1MovesAndBothEndOnTheSharedStimulus",
     "0",
     "1",
     {"700", ""},
     {"1", "1"},
     "1",
     "3-7"},
    {"Player1EndsOffTheSharedStimulus", "0", "2", {"2280", "880"}, {"0", "1"}, "1", "3-7"},
    {"WonOnTheSameFiguresInSwappedOrder", "1", "1", {"", "500"}, {"1", "1"}, "1", "3-none"},
    {"BoardsThatShareNoStimulus", "1", "2", {"360", "860"}, {"0", "0"}, "0", "3-none"},
};

TEST_F(MeasuresLab, RoundsHaveTheirKnownMeasures) {
    const std::vector<Row> rounds = Table("rounds.csv");
    ASSERT_EQ(rounds.size(), std::size(kRounds));
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        const RoundCase& c = kRounds[i];
        const Row& row = rounds[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(row.at("game") + "/" + row.at("round"), std::string(c.game) + "/" + c.round);
        EXPECT_EQ(row.at("p1_first_move_ms"), c.firstMove[0]);
        EXPECT_EQ(row.at("p2_first_move_ms"), c.firstMove[1]);
        EXPECT_EQ(row.at("p1_end_on_shared"), c.endOnShared[0]);
        EXPECT_EQ(row.at("p2_end_on_shared"), c.endOnShared[1]);
        EXPECT_EQ(row.at("winning_pair_count"), c.winningPairs);
        EXPECT_EQ(row.at("pair"), c.pair);
    }
    const std::vector<Row> games = Table("games.csv");
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].at("pair"), "3-7");
    EXPECT_EQ(games[1].at("pair"), "3-none");
}

// Round 2 of game 0: player 2 goes up and right from the bottom left,
// player 1 right and up from the bottom left; the space bars move nothing.
TEST_F(MeasuresLab, KeysThatMovedAFigureNameTheCellsItLeftAndMadeFor) {
    std::vector<std::string> moves;
    for (const Row& event : Table("events.csv")) {
        if (event.at("game") == "0" && event.at("round") == "2" && event.at("kind") == "key") {
            moves.push_back(event.at("player") + " " + event.at("key") + " " +
                            event.at("from_cell") + ">" + event.at("to_cell"));
        }
    }
    EXPECT_EQ(moves,
              (std::vector<std::string>{"2 up bottom_left>top_left", "2 right top_left>top_right",
                                        "1 right bottom_left>bottom_right",
                                        "1 up bottom_right>top_right", "1 space >", "2 space >"}));
}

// The study lab's files were written by the server's own game and record
// functions: its position files list the pairs the server counts as a
// win, and its figures arrive where the server sent them.
class StudyLabMeasures : public ::testing::Test {
  protected:
    void SetUp() override {
        ExportOptions options;
        options.labFolder = fs::path(QUIB_TEST_DATA_DIR) / "study_lab";
        options.outFolder = dir.path();
        options.allowProblems = true;
        ASSERT_EQ(ExportLab(options).status, kExportProblems);
    }

    std::vector<Row> Table(const char* name) const { return ReadTable(dir.path() / name); }

    quib::testing::ScratchDirectory dir;
};

TEST_F(StudyLabMeasures, WinningPairsAreThoseTheServerListed) {
    std::map<std::string, std::string> listed;  // "game/round" -> count of the start line's pairs
    for (const Row& line : Table("positions.csv")) {
        if (line.at("kind") == "start") {
            const std::string& pairs = line.at("winning_pairs");
            listed[line.at("game") + "/" + line.at("round")] =
                std::to_string(std::count(pairs.begin(), pairs.end(), ':'));
        }
    }
    const std::vector<Row> rounds = Table("rounds.csv");
    ASSERT_EQ(rounds.size(), 23u);
    for (const Row& round : rounds) {
        const std::string key = round.at("game") + "/" + round.at("round");
        ASSERT_TRUE(listed.contains(key)) << key;
        EXPECT_EQ(round.at("winning_pair_count"), listed[key]) << key;
        // A won round is won on a stimulus both boards hold.
        if (round.at("won") == "1") {
            EXPECT_EQ(round.at("p1_end_on_shared") + round.at("p2_end_on_shared"), "11") << key;
        }
    }
}

TEST_F(StudyLabMeasures, EveryMoveEndsWhereThePlayersNextArrivalIs) {
    std::map<std::string, std::string> pending;  // "game/round/player" -> the cell made for
    int moves = 0;
    for (const Row& event : Table("events.csv")) {
        const std::string key =
            event.at("game") + "/" + event.at("round") + "/" + event.at("player");
        if (event.at("kind") == "key") {
            const bool arrow = event.at("key") != "space" && event.at("key") != "other";
            EXPECT_EQ(event.at("from_cell").empty(), !arrow) << key << " " << event.at("round_ms");
            if (arrow) {
                EXPECT_FALSE(pending.contains(key)) << key << ": a move before the arrival";
                pending[key] = event.at("to_cell");
                ++moves;
            }
        } else if (event.at("kind") == "position") {
            EXPECT_EQ(event.at("cell"), pending[key]) << key << " " << event.at("round_ms");
            pending.erase(key);
        }
    }
    EXPECT_TRUE(pending.empty());
    EXPECT_GT(moves, 50);
}

// Without its game's files a round's set-up is only known as the time its
// file was written (10:05:03 for round 1 of game 1) less its length (2100
// ms).
TEST(MeasuresLabWithoutGameFiles, EventTimesCountBackFromWhenTheRoundFileWasWritten) {
    quib::testing::ScratchDirectory dir;
    const fs::path lab = dir.path() / "lab";
    fs::copy(fs::path(QUIB_TEST_DATA_DIR) / "measures_lab", lab, fs::copy_options::recursive);
    fs::remove(lab / "log" / "g000001.csv");
    fs::remove(lab / "log2" / "g000001.csv");
    ExportOptions options;
    options.labFolder = lab;
    options.outFolder = dir.path() / "out";
    options.allowProblems = true;
    ExportLab(options);
    const std::vector<Row> events = ReadTable(options.outFolder / "events.csv");
    ASSERT_EQ(events.size(), 32u);
    EXPECT_EQ(
        events[18].at("game") + "/" + events[18].at("round") + "/" + events[18].at("round_ms"),
        "1/1/500");
    EXPECT_EQ(events[18].at("time"), "2025-02-12T10:05:01.400");
}

}  // namespace
}  // namespace quib::exporter
