// What quib_export works out of a lab beyond copying its files: the clock
// time of every event, on a small lab written by hand (data/measures_lab)
// where each value is known.
//
// Game 0 (subjects 7 and 3, level 2): round 1 is set up 1250 ms after the
// game's start, so its events fall on fractions of a second; round 2 is set
// up 4900 ms after the start, 250 ms after round 1 ended, and its start
// event lies 20 ms after that, within the same whole second as the end of
// round 1.
// Game 1 (subject 3 and a seat without subject, level 3): round 1 is won on
// the same two figures in swapped order; the boards of round 2 share no
// stimulus, which the server never deals (so the records check reports the
// round's start line without targets).

#include <gtest/gtest.h>

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
