#include "bench/soak/soak_records.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::bench {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::WriteBytes;

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::vector<std::string> Filler(std::size_t count) {
    return std::vector<std::string>(count, "x");
}

// One round as the records need it: won or not, its arrivals.
struct Round {
    bool won;
    int arrivals;
    int durationMs;
};

// Writes the records of two games, rounds numbered across both, for two
// subjects that played both: what a consistent server folder holds.
class SoakFolder {
  public:
    explicit SoakFolder(const fs::path& dir) : dir_(dir) {
        fs::create_directories(dir / "log");
        fs::create_directories(dir / "log2");
        const std::vector<std::vector<Round>> games = {{{true, 2, 1500}, {false, 1, 900}},
                                                       {{true, 0, 700}}};
        int file = 0;
        for (std::size_t g = 0; g < games.size(); ++g) {
            WriteGame(static_cast<int>(g), games[g], file);
            file += static_cast<int>(games[g].size());
        }
        for (const char* subject : {"p000000.csv", "p000001.csv"}) {
            WriteBytes(dir / "log" / subject,
                       Join({"Spieler", "x", "x", "x", "x", "x", "Punkte;2;Rekord;1",
                             "Runden;3;Spielzeit;3100;00:00:03", "x",
                             "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;"
                             "Level;Anzeige",
                             "g000000.csv;t;p;1;1;2;2400;00:00:02;1;1",
                             "g000001.csv;t;p;1;1;1;700;00:00:00;1;1"}));
        }
    }

  private:
    static std::string GameName(int game) { return "g00000" + std::to_string(game) + ".csv"; }

    void WriteGame(int game, const std::vector<Round>& rounds, int firstFile) {
        std::vector<std::string> gameLines = Filler(19);
        std::vector<std::string> positionLines = Filler(19);
        int points = 0;
        for (std::size_t i = 0; i < rounds.size(); ++i) {
            const Round& r = rounds[i];
            const std::string file = "r00000" + std::to_string(firstFile + i) + ".csv";
            const std::string number = std::to_string(i + 1);
            std::vector<std::string> lines = Filler(25);
            lines[1] = "Spiel:;00000" + std::to_string(game) + ";Datei:;" + GameName(game);
            lines[2] = "Runde:;" + number;
            lines[7] = "Spieldauer:;" + std::to_string(r.durationMs);
            lines[8] = std::string("Ergebniss:;") + (r.won ? "Gewonnen" : "Verloren");
            lines.push_back("0;00:00:00;0;Start;");
            positionLines.push_back("0;t;t;" + number + ";0;0;A;B;C;D;a;b;c;d;A;a;Aa");
            for (int a = 0; a < r.arrivals; ++a) {
                lines.push_back("10;00:00:00;1;Taste;Rechts");
                lines.push_back("20;00:00:00;1;Position;B");
                positionLines.push_back("0;t;t;" + number + ";0;0;A;B;C;D;a;b;c;d;B;a;");
            }
            WriteBytes(dir_ / "log" / file, Join(lines));
            points += r.won;
            gameLines.push_back("0;t;" + std::to_string(r.durationMs) + ";t;" + number + ";" +
                                file + ";1");
        }
        gameLines[14] = "Punkte:;" + std::to_string(points) + ";Highscore:;1";
        gameLines[15] = "Runden:;" + std::to_string(rounds.size());
        WriteBytes(dir_ / "log" / GameName(game), Join(gameLines));
        WriteBytes(dir_ / "log2" / GameName(game), Join(positionLines));
    }

    fs::path dir_;
};

// Replaces `from` by `to` in a file, which must contain it.
void Edit(const fs::path& file, const std::string& from, const std::string& to) {
    std::string text = ReadBytes(file);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << file;
    text.replace(at, from.size(), to);
    WriteBytes(file, text);
}

TEST(SoakRecords, ConsistentRecordsOfTwoGamesPass) {
    quib::testing::ScratchDirectory scratch;
    SoakFolder folder(scratch.path());
    const SoakRecords records = CheckSoakRecords(scratch.path());
    EXPECT_TRUE(records.problems.empty()) << records.problems.front();
    EXPECT_EQ(records.games, 2);
    EXPECT_EQ(records.rounds, 3);
    EXPECT_EQ(records.wonRounds, 2);
}

struct FaultCase {
    const char* name;
    std::function<void(const fs::path& dir)> spoil;
    const char* reported;  // a word of the problem expected
};

class SoakFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SoakFault, IsReported) {
    quib::testing::ScratchDirectory scratch;
    SoakFolder folder(scratch.path());
    GetParam().spoil(scratch.path());
    const SoakRecords records = CheckSoakRecords(scratch.path());
    ASSERT_FALSE(records.problems.empty());
    std::string all;
    for (const std::string& problem : records.problems) {
        all += problem + "\n";
    }
    EXPECT_NE(all.find(GetParam().reported), std::string::npos) << all;
}

const FaultCase kFaults[] = {
    {"LostRoundFile", [](const fs::path& d) { fs::remove(d / "log/r000001.csv"); }, "gaps"},
    {"GameFileLacksARound",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", "0;t;900;t;2;r000001.csv;1\n", ""); },
     "round lines"},
    {"GameFileNamesTheWrongRound",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", ";r000001.csv", ";r000000.csv"); },
     "does not name round 2"},
    {"PositionFileLacksAStartLine",
     [](const fs::path& d) {
         Edit(d / "log2/g000001.csv", "0;t;t;1;0;0;A;B;C;D;a;b;c;d;A;a;Aa\n", "");
     },
     "expected the start line"},
    {"ArrivalMissingFromThePositionFile",
     [](const fs::path& d) {
         Edit(d / "log2/g000000.csv", "0;t;t;2;0;0;A;B;C;D;a;b;c;d;B;a;\n", "");
     },
     "lines of round 2"},
    {"SubjectTotalIsNotTheSum",
     [](const fs::path& d) { Edit(d / "log/p000001.csv", "Runden;3;", "Runden;4;"); },
     "sums of its rows"},
    {"SubjectRowDiffersFromItsGame",
     [](const fs::path& d) {
         Edit(d / "log/p000000.csv", "g000001.csv;t;p;1;1;1;700", "g000001.csv;t;p;1;1;1;701");
         Edit(d / "log/p000000.csv", "Spielzeit;3100", "Spielzeit;3101");
     },
     "differs from the game"},
    {"GamePointsDifferFromTheWonRounds",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", "Punkte:;1;", "Punkte:;2;"); },
     "won rounds"},
};

INSTANTIATE_TEST_SUITE_P(Records, SoakFault, ::testing::ValuesIn(kFaults),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::bench
