#include "server/records/record_numbers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using testing::ScratchDirectory;
using testing::WriteBytes;

struct HeldNumbers : NumbersInUse {
    std::set<std::int32_t> games;
    std::set<std::int32_t> rounds;
    bool HoldsGameNumber(std::int32_t n) const override { return games.contains(n); }
    bool HoldsRoundNumber(std::int32_t n) const override { return rounds.contains(n); }
};

// A subject who played games 0 and 1, whose files were moved to an archive.
const char kSubjectOfArchivedGames[] =
    "Spieler\r\nSpielernr.;000004\r\nSpielername;Eva\r\nKommentar;\r\n"
    "Erstellt;01.03.24;10:00:00\r\n\r\nPunkte;3;Rekord;2\r\nRunden;5;Spielzeit;500;00:00:00\r\n"
    "\r\nSpieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n"
    "g000000.csv;01.03.24 10:05:00;p000001.csv;2;2;3;300;00:00:00;1;1\n"
    " g000001.csv ;01.03.24 10:15:00;p000001.csv;1;1;2;200;00:00:00;1;1\n";

struct NumberCase {
    const char* name;
    std::vector<std::string> logFiles;   // names in log/
    std::vector<std::string> log2Files;  // names in log2/
    std::set<std::int32_t> heldGames;    // by rounds waiting in memory
    std::set<std::int32_t> heldRounds;
    std::int32_t game;   // the number the next game gets
    std::int32_t round;  // the number the next round gets
};

class NextNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NextNumbers, AreNeverOnesAnythingStillNames) {
    const NumberCase& c = GetParam();
    ScratchDirectory scratch;
    const WorkFolders folders = WorkFolders::In(scratch.path());
    std::filesystem::create_directories(folders.log);
    std::filesystem::create_directories(folders.log2);
    for (const std::string& name : c.logFiles) {
        WriteBytes(folders.log / name, name.starts_with("p") ? kSubjectOfArchivedGames : "x");
    }
    for (const std::string& name : c.log2Files) {
        WriteBytes(folders.log2 / name, "x");
    }
    HeldNumbers held;
    held.games = c.heldGames;
    held.rounds = c.heldRounds;
    FolderRecordNumbers numbers(folders, held);

    EXPECT_EQ(numbers.NextGameNumber(), c.game);
    EXPECT_EQ(numbers.NextRoundNumber(), c.round);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, NextNumbers,
    ::testing::Values(NumberCase{"EmptyLab", {}, {}, {}, {}, 0, 0},
                      NumberCase{"GapsOfDeletedFilesAreFilled",
                                 {"g000000.csv", "g000002.csv", "r000001.csv", "r000002.csv"},
                                 {"g000000.csv", "g000002.csv"},
                                 {},
                                 {},
                                 1,
                                 0},
                      NumberCase{"PositionFileLeftAfterItsGameFileWasMoved",
                                 {"g000000.csv"},
                                 {"g000000.csv", "g000001.csv"},
                                 {},
                                 {},
                                 2,
                                 0},
                      NumberCase{"ArchivedGamesStillNamedBySubjectFiles",
                                 {"p000004.csv", "r000000.csv"},
                                 {},
                                 {},
                                 {},
                                 2,
                                 1},
                      NumberCase{"TemporaryFilesOfAnUnfinishedWrite",
                                 {".r000000.csv.abcdefgh", ".g000000.csv.qwertzui"},
                                 {".g000001.csv.asdfghjk"},
                                 {},
                                 {},
                                 2,
                                 1},
                      NumberCase{
                          "OtherHiddenFilesTakeNothing",
                          {".r000000.csv.ABCDEFGH", ".g000000.csv", "r000000.csv~", "g0000000.csv"},
                          {},
                          {},
                          {},
                          0,
                          0},
                      NumberCase{"RoundsWaitingInMemory",
                                 {"g000000.csv", "r000000.csv"},
                                 {"g000000.csv"},
                                 {1, 2},
                                 {1, 3},
                                 3,
                                 2}),
    testing::CaseName());

}  // namespace
}  // namespace quib::server
