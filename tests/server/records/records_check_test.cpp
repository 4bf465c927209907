// The records check on a small lab folder: the four rounds of the scripted
// game (the files the engine's scripted-game test compares byte for byte
// with what the server writes), then one small change per kind of
// disagreement, each expecting exactly the problems it causes.

#include "server/records/records_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// One game of four rounds (three won, then a lost one) between p000012.csv
// and p000005.csv; p000012.csv also has a row of an archived game.
class LabFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(QUIB_SCRIPTED_GAME_DIR, dir.path(), fs::copy_options::recursive);
    }

    std::vector<std::string> Problems() {
        const RecordsCheck check = CheckRecords(dir.path(), texts);
        EXPECT_EQ(check.unusable, "");
        std::vector<std::string> lines;
        for (const RecordProblem& problem : check.problems) {
            lines.push_back(ProblemLine(problem));
        }
        return lines;
    }

    ScratchDirectory dir;
    ServerTexts texts;
};

// Replaces the one occurrence of `from` in a file of the folder.
void Edit(const fs::path& file, const std::string& from, const std::string& to) {
    std::string text = ReadBytes(file);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << file << " lacks " << from;
    ASSERT_EQ(text.find(from, at + 1), std::string::npos) << file << " has " << from << " twice";
    text.replace(at, from.size(), to);
    WriteBytes(file, text);
}

TEST_F(LabFolder, AgreesAndCountsWhatItChecked) {
    const RecordsCheck check = CheckRecords(dir.path(), texts);
    EXPECT_EQ(check.unusable, "");
    for (const RecordProblem& problem : check.problems) {
        ADD_FAILURE() << ProblemLine(problem);
    }
    EXPECT_EQ(check.games, 1);
    EXPECT_EQ(check.rounds, 4);
    EXPECT_EQ(check.wonRounds, 3);
    EXPECT_EQ(check.subjects, 2);
    EXPECT_EQ(check.archivedGameRows, 1);
    EXPECT_EQ(SummaryLine(check),
              "checked 1 game, 4 rounds, 2 subjects (1 row of archived games): no problems found");
}

TEST_F(LabFolder, AFolderWithoutLogIsUnusable) {
    fs::remove_all(dir.path() / "log");
    EXPECT_NE(CheckRecords(dir.path(), texts).unusable, "");
    EXPECT_NE(CheckRecords(dir.path() / "missing", texts).unusable, "");
}

struct Case {
    const char* name;
    std::function<void(const fs::path& dir)> change;
    std::vector<std::string> problems;  // exactly these, in this order
};

class RecordsCase : public LabFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(RecordsCase, ReportsExactlyItsProblems) {
    ASSERT_NO_FATAL_FAILURE(GetParam().change(dir.path()));
    EXPECT_EQ(Problems(), GetParam().problems);
}

const std::string kRound1Row = "9500;00:00:09;4600;00:00:04;2;r000001.csv;1;2;2;";
const std::string kRound3Row = "21000;00:00:21;7999;00:00:07;4;r000003.csv;0;3;0;";
const std::string kMarenRow = "g000000.csv;09.03.24 14:05:07;p000012.csv;3;3;4;21799;00:00:21;1;1";

// A session file of the scripted game (game 0, four rounds) with the
// player of seat 2 lost in the last round and back.
const std::string kSessionHeader =
    "quib session;s000001.csv\n"
    "lab;lab-00000000000000ff\n"
    "version;1.4.0\n"
    "started;2026-12-11T17:02:16.123\n"
    "time;event;seat;game;round;address;host;count\n";
const std::string kSessionEvents =
    "2026-12-11T17:02:20.500;seat_taken;1;;;10.0.0.7;PC07;\n"
    "2026-12-11T17:02:21.000;seat_taken;2;;;10.0.0.8;PC08;\n"
    "2026-12-11T17:04:00.020;game_started;1;0;;10.0.0.7;PC07;\n"
    "2026-12-11T17:04:00.020;game_started;2;0;;10.0.0.8;PC08;\n"
    "2026-12-11T17:05:01.250;seat_lost;2;0;4;10.0.0.8;PC08;\n"
    "2026-12-11T17:05:02.000;bad_frames;1;0;4;10.0.0.7;PC07;3\n"
    "2026-12-11T17:05:09.000;seat_taken;2;0;4;10.0.0.8;PC08;\n"
    "2026-12-11T17:09:00.000;game_ended;;0;;;;\n"
    "2026-12-11T18:30:00.000;server_ended;;;;;;\n";

// The lab folder with lab_id.txt and sessions/s000001.csv of these texts.
std::function<void(const fs::path&)> WithSession(std::string labId, std::string session) {
    return [=](const fs::path& d) {
        WriteBytes(d / "lab_id.txt", labId);
        fs::create_directory(d / "sessions");
        WriteBytes(d / "sessions/s000001.csv", session);
    };
}

const Case kCases[] = {
    // Round files and the game file's rows.
    {"RoundFileMissing",
     [](const fs::path& d) { fs::remove(d / "log/r000001.csv"); },
     {"log/g000000.csv:21: r000001.csv is missing"}},
    {"RoundFileInNoRow",
     [](const fs::path& d) { fs::copy(d / "log/r000003.csv", d / "log/r000004.csv"); },
     {"log/r000004.csv:2: listed in no row of log/g000000.csv"}},
    {"RoundFileOfAnotherGame",
     [](const fs::path& d) {
         Edit(d / "log/r000003.csv", "Datei:;g000000.csv", "Datei:;g000001.csv");
     },
     {"log/g000000.csv:23: r000003.csv belongs to g000001.csv (its line 2)",
      "log/r000003.csv:2: names g000001.csv, which is not in log/"}},
    {"RoundFileListedTwice",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", ";4;r000003.csv;", ";4;r000002.csv;"); },
     {"log/g000000.csv:23: r000002.csv is listed a second time",
      "log/r000003.csv:2: listed in no row of log/g000000.csv",
      "log2/g000000.csv:29: round 4 has 1 arrival lines, but r000002.csv has 3 Position events"}},
    {"RoundNumberDiffers",
     [](const fs::path& d) { Edit(d / "log/r000001.csv", "Runde:;2", "Runde:;5"); },
     {"log/g000000.csv:21: Runde: 2, but r000001.csv is round 5"}},
    {"DurationDiffers",
     [](const fs::path& d) { Edit(d / "log/r000001.csv", "Spieldauer:;4600", "Spieldauer:;4601"); },
     {"log/g000000.csv:21: Dauer (ms): 4600, but r000001.csv has Spieldauer 4601"}},
    {"ResultDiffers",
     [](const fs::path& d) { Edit(d / "log/r000003.csv", "Verloren", "Gewonnen"); },
     {"log/g000000.csv:23: Gewonnen: 0, but r000003.csv was won"}},
    {"RoundFileUnreadable",
     [](const fs::path& d) {
         fs::remove(d / "log/r000001.csv");
         fs::create_directory(d / "log/r000001.csv");
     },
     {"log/r000001.csv: cannot be read"}},
    {"PositionFileNamesAnotherGame",
     [](const fs::path& d) {
         Edit(d / "log2/g000000.csv", "Datei:;g000000.csv", "Datei:;g000001.csv");
     },
     {"log2/g000000.csv:2: names the game file g000001.csv"}},
    {"RoundFileWithoutHeader",
     [](const fs::path& d) {
         const std::string text = ReadBytes(d / "log/r000002.csv");
         WriteBytes(d / "log/r000002.csv", text.substr(0, text.find("Einstellungen")));
     },
     {"log/r000002.csv: has 10 lines, fewer than its header"}},
    {"RowNumberedOutOfOrder",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", ";2;r000001.csv;", ";3;r000001.csv;"); },
     {"log/g000000.csv:21: Runde: 3 in round row 2",
      "log/g000000.csv:21: Runde: 3, but r000001.csv is round 2",
      "log2/g000000.csv:22: lines of round 2, which has no row in log/g000000.csv",
      "log2/g000000.csv:25: round 3 has 3 arrival lines, but r000001.csv has 2 Position events"}},
    {"RowThatCannotBeRead",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", kRound3Row, "21000;x;"); },
     {"log/g000000.csv:23: is no round row",
      "log/r000003.csv:2: listed in no row of log/g000000.csv"}},
    {"RunningPointsWrongInOneRow",
     [](const fs::path& d) {
         Edit(d / "log/g000000.csv", kRound1Row,
              "9500;00:00:09;4600;00:00:04;2;r000001.csv;1;1;2;");
     },
     {"log/g000000.csv:21: Punkte: 1, but 2 rounds won up to here"}},
    {"RunningStreakWrongInOneRow",
     [](const fs::path& d) {
         Edit(d / "log/g000000.csv", ";r000002.csv;1;3;3;", ";r000002.csv;1;3;2;");
     },
     {"log/g000000.csv:22: Serie: 2, but a run of 3 won rounds up to here"}},
    // The game file's header.
    {"RundenDiffers",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", "Runden:;4", "Runden:;5"); },
     {"log/g000000.csv:16: Runden: 5, but 4 round lines",
      "log/p000005.csv:11: Runden of g000000.csv: 4, but log/g000000.csv has 5",
      "log/p000012.csv:12: Runden of g000000.csv: 4, but log/g000000.csv has 5",
      "log2/g000000.csv:16: Runden: 4, but log/g000000.csv has 5"}},
    {"PunkteDiffers",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", "Punkte:;3;", "Punkte:;2;"); },
     {"log/g000000.csv:15: Punkte: 2, but 3 won rounds",
      "log/p000005.csv:11: Punkte of g000000.csv: 3, but log/g000000.csv has 2",
      "log/p000012.csv:12: Punkte of g000000.csv: 3, but log/g000000.csv has 2",
      "log2/g000000.csv:15: Punkte: 3, but log/g000000.csv has 2"}},
    {"HighscoreDiffers",
     [](const fs::path& d) { Edit(d / "log/g000000.csv", "Highscore:;3", "Highscore:;4"); },
     {"log/g000000.csv:15: Highscore: 4, but the longest run of won rounds is 3",
      "log/p000005.csv:11: Highscore of g000000.csv: 3, but log/g000000.csv has 4",
      "log/p000012.csv:12: Highscore of g000000.csv: 3, but log/g000000.csv has 4",
      "log2/g000000.csv:15: Highscore: 3, but log/g000000.csv has 4"}},
    {"ActiveTimeDiffers",
     [](const fs::path& d) {
         Edit(d / "log/g000000.csv", "davon aktiv:;00:00:21", "davon aktiv:;00:00:22");
     },
     {"log/g000000.csv:17: davon aktiv: 00:00:22, but the rounds' durations add up to 00:00:21 "
      "(21799 ms)"}},
    // The position file.
    {"PositionFileMissing",
     [](const fs::path& d) { fs::remove(d / "log2/g000000.csv"); },
     {"log/g000000.csv: has no position file log2/g000000.csv beside it"}},
    {"GameFileMissing",
     [](const fs::path& d) { fs::remove(d / "log/g000000.csv"); },
     {"log/r000000.csv:2: names g000000.csv, which is not in log/",
      "log/r000001.csv:2: names g000000.csv, which is not in log/",
      "log/r000002.csv:2: names g000000.csv, which is not in log/",
      "log/r000003.csv:2: names g000000.csv, which is not in log/",
      "log2/g000000.csv: has no game file log/g000000.csv beside it"}},
    {"PositionHeaderDiffers",
     [](const fs::path& d) { Edit(d / "log2/g000000.csv", "Runden:;4", "Runden:;3"); },
     {"log2/g000000.csv:16: Runden: 3, but log/g000000.csv has 4"}},
    {"PositionLineLost",
     [](const fs::path& d) {
         Edit(d / "log2/g000000.csv",
              "3;00:00:11;00:00:01;2;1;1;gr\xFCn;gr\xFCn;rot;gelb;rot;rot;blau;gelb;B;d;\n", "");
     },
     {"log2/g000000.csv:22: round 2 has 1 arrival lines, but r000001.csv has 2 Position events",
      "log2/g000000.csv:23: Zug: 4, expected 3"}},
    {"StartLineWithoutTargets",
     [](const fs::path& d) { Edit(d / "log2/g000000.csv", ";A;d;Ba,Da", ";A;d;"); },
     {"log2/g000000.csv:25: round 3 has 0 start lines (with a list of possible targets), not 1"}},
    {"RoundBeginsWithAnArrival",
     [](const fs::path& d) {
         // Round 4's start line and its arrival trade their lists of targets.
         Edit(d / "log2/g000000.csv", ";A;d;Ca,Cb,Cd,Dc\n", ";A;d;\n");
         std::string text = ReadBytes(d / "log2/g000000.csv");
         text.insert(text.find('\n', text.find("\n10;") + 1), "Ca,Cb,Cd,Dc");
         WriteBytes(d / "log2/g000000.csv", text);
     },
     {"log2/g000000.csv:29: round 4 begins with an arrival, not its start line"}},
    {"ArrivalMissingFromTheRoundFile",
     [](const fs::path& d) { Edit(d / "log/r000002.csv", "2;Position;a", "2;Positio;a"); },
     {"log2/g000000.csv:25: round 3 has 3 arrival lines, but r000002.csv has 2 Position events"}},
    {"RoundGoesBack",
     [](const fs::path& d) {
         Edit(d / "log2/g000000.csv", "8;00:00:18;00:00:02;3;", "8;00:00:18;00:00:02;2;");
     },
     {"log2/g000000.csv:25: round 3 has 2 arrival lines, but r000002.csv has 3 Position events",
      "log2/g000000.csv:28: a line of round 2 after round 3"}},
    {"LinesOfARoundWithoutRow",
     [](const fs::path& d) {
         Edit(d / "log2/g000000.csv", "9;00:00:22;00:00:01;4;", "9;00:00:22;00:00:01;5;");
         Edit(d / "log2/g000000.csv", "10;00:00:23;00:00:02;4;", "10;00:00:23;00:00:02;5;");
     },
     {"log2/g000000.csv: no lines of round 4 (r000003.csv)",
      "log2/g000000.csv:29: lines of round 5, which has no row in log/g000000.csv"}},
    // Subject files.
    {"SubjectLayoutNotRecognised",
     [](const fs::path& d) { Edit(d / "log/p000005.csv", "Spielernr.;000005\n", ""); },
     {"log/p000005.csv: layout not recognised: its number, name, comment, points and rounds "
      "lines are not there once each and in this order"}},
    {"SubjectPointsNotTheSum",
     [](const fs::path& d) { Edit(d / "log/p000005.csv", "Punkte;3;", "Punkte;4;"); },
     {"log/p000005.csv:7: Punkte: 4, but the rows add up to 3"}},
    {"SubjectRecordNotTheBest",
     [](const fs::path& d) { Edit(d / "log/p000012.csv", "Rekord;4", "Rekord;3"); },
     {"log/p000012.csv:7: Rekord: 3, but the rows' highest Highscore is 4"}},
    {"SubjectRoundsNotTheSum",
     [](const fs::path& d) { Edit(d / "log/p000012.csv", "Runden;16;", "Runden;15;"); },
     {"log/p000012.csv:8: Runden: 15, but the rows add up to 16"}},
    {"SubjectPlayTimeNotTheSum",
     [](const fs::path& d) { Edit(d / "log/p000005.csv", "Spielzeit;21799;", "Spielzeit;21800;"); },
     {"log/p000005.csv:8: Spielzeit: 21800, but the rows add up to 21799"}},
    {"SubjectPlayClockWrong",
     [](const fs::path& d) { Edit(d / "log/p000012.csv", ";00:01:56", ";00:01:57"); },
     {"log/p000012.csv:8: Spielzeit: 00:01:57, but 116799 ms is 00:01:56"}},
    {"SubjectRowDiffersFromTheGame",
     [](const fs::path& d) {
         Edit(d / "log/p000005.csv", kMarenRow,
              "g000000.csv;09.03.24 14:05:07;p000012.csv;2;3;4;21799;00:00:21;1;1");
         Edit(d / "log/p000005.csv", "Punkte;3;", "Punkte;2;");
     },
     {"log/p000005.csv:11: Punkte of g000000.csv: 2, but log/g000000.csv has 3"}},
    {"SubjectRowPlayTimeDiffersFromTheRounds",
     [](const fs::path& d) {
         Edit(d / "log/p000005.csv", kMarenRow,
              "g000000.csv;09.03.24 14:05:07;p000012.csv;3;3;4;21800;00:00:21;1;1");
         Edit(d / "log/p000005.csv", "Spielzeit;21799;", "Spielzeit;21800;");
     },
     {"log/p000005.csv:11: Dauer (ms) of g000000.csv: 21800, but the rounds of log/g000000.csv "
      "add up to 21799"}},
    {"SubjectRowNamesTheWrongPartner",
     [](const fs::path& d) { Edit(d / "log/p000005.csv", ";p000012.csv;", ";p000002.csv;"); },
     {"log/p000005.csv:11: Gegner: p000002.csv, but log/g000000.csv names p000012.csv"}},
    {"SubjectHasASecondRowOfTheGame",
     [](const fs::path& d) {
         Edit(d / "log/p000005.csv", kMarenRow,
              kMarenRow + "\ng000000.csv;09.03.24 14:05:07;p000012.csv;0;0;0;0;00:00:00;1;1");
     },
     {"log/p000005.csv:12: a second row of g000000.csv"}},
    {"NamedSubjectHasNoRow",
     [](const fs::path& d) {
         Edit(d / "log/p000005.csv", kMarenRow + "\n", "");
         Edit(d / "log/p000005.csv", "Punkte;3;Rekord;3", "Punkte;0;Rekord;0");
         Edit(d / "log/p000005.csv", "Runden;4;Spielzeit;21799;00:00:21",
              "Runden;0;Spielzeit;0;00:00:00");
     },
     {"log/g000000.csv:5: p000005.csv has no row of this game"}},
    {"NamedSubjectMissing",
     [](const fs::path& d) { fs::remove(d / "log/p000005.csv"); },
     {"log/g000000.csv:5: names p000005.csv, which is not in log/"}},
    {"GameNamesAnotherSubject",
     [](const fs::path& d) {
         for (const char* file : {"log/g000000.csv", "log2/g000000.csv"}) {
             Edit(d / file, "Datei:;p000005.csv", "Datei:;p000006.csv");
         }
     },
     {"log/g000000.csv:5: names p000006.csv, which is not in log/",
      "log/p000005.csv:11: log/g000000.csv does not name p000005.csv as a player",
      "log/p000012.csv:12: Gegner: p000005.csv, but log/g000000.csv names p000006.csv"}},
    // What an interrupted server leaves.
    {"TemporaryRoundFile",
     [](const fs::path& d) { WriteBytes(d / "log/.r000004.csv.qwertzui", "Rundenprot"); },
     {"log/.r000004.csv.qwertzui: unfinished write; start the server once to complete it"}},
    {"TemporaryPositionFile",
     [](const fs::path& d) { WriteBytes(d / "log2/.g000000.csv.abcdefgh", ""); },
     {"log2/.g000000.csv.abcdefgh: unfinished write; start the server once to complete it"}},
    {"Journal",
     [](const fs::path& d) { WriteBytes(d / "log/.records-journal", "x"); },
     {"log/.records-journal: unfinished write; start the server once to complete it"}},
    // Folders that agree.
    {"OtherHiddenFilesAreNoWrites",
     [](const fs::path& d) {
         WriteBytes(d / "log/.directory", "");
         WriteBytes(d / "log/.r000004.csv.QWERTZUI", "");
         WriteBytes(d / "log/.r000004.csv.qwertz", "");
     },
     {}},
    {"SeatWithoutSubject",
     [](const fs::path& d) {
         for (const char* file : {"log/g000000.csv", "log2/g000000.csv"}) {
             Edit(d / file, "Maren;Nummer:;000005;Datei:;p000005.csv", ";Nummer:;0000-1;Datei:;");
         }
         Edit(d / "log/p000012.csv", ";p000005.csv;", ";;");
         fs::remove(d / "log/p000005.csv");
     },
     {}},
    {"SubjectFilesWithCarriageReturns",
     [](const fs::path& d) {
         for (const char* file : {"log/p000005.csv", "log/p000012.csv"}) {
             std::string text;
             for (const char c : ReadBytes(d / file)) {
                 text += c == '\n' ? "\r\n" : std::string(1, c);
             }
             WriteBytes(d / file, text);
         }
     },
     {}},
    // The session files and the lab's identity.
    {"SessionAndLabIdAgree",
     WithSession("lab-00000000000000ff\n", kSessionHeader + kSessionEvents),
     {}},
    {"LabIdNotValid",
     WithSession("lab 7\n", kSessionHeader),
     {"lab_id.txt:1: no valid lab identity on the first line"}},
    {"SessionLineCutShort",
     WithSession("lab-1\n", kSessionHeader + kSessionEvents + "2026-12-11T18:3"),
     {"sessions/s000001.csv:15: last line cut short (the server was stopped while writing it)"}},
    {"SessionEventOutOfForm",
     WithSession("lab-1\n",
                 kSessionHeader + "2026-12-11T17:02:20.500;seat_taken;3;;;10.0.0.7;PC07;\n"),
     {"sessions/s000001.csv:6: a seat, game, round or count out of its range: "
      "2026-12-11T17:02:20.500;seat_taken;3;;;10.0.0.7;PC07;"}},
    {"SessionRoundTheGameFileHasNotGotTo",
     WithSession("lab-1\n",
                 kSessionHeader + "2026-12-11T17:05:01.250;seat_lost;2;0;6;10.0.0.8;PC08;\n"),
     {"sessions/s000001.csv:6: round 6 of game 0, but log/g000000.csv has 4 round rows"}},
    {"SessionGameNoGameFileHas",
     WithSession("lab-1\n", kSessionHeader +
                                "2026-12-11T17:05:01.250;seat_lost;2;7;2;10.0.0.8;PC08;\n"
                                "2026-12-11T17:05:02.250;seat_lost;1;7;3;10.0.0.8;PC08;\n"),
     {"sessions/s000001.csv:6: round 2 of game 7, but log/g000007.csv is missing"}},
    // The first round of a game that never finished one has no file yet.
    {"SessionFirstRoundOfAGameWithoutAFile",
     WithSession("lab-1\n",
                 kSessionHeader + "2026-12-11T17:05:01.250;seat_lost;2;7;1;10.0.0.8;PC08;\n"),
     {}},
    {"SessionRepairCutShort",
     [](const fs::path& d) {
         fs::create_directory(d / "sessions");
         WriteBytes(d / "sessions/s000001.csv", kSessionHeader);
         WriteBytes(d / "sessions/.s000001.csv.abcdefgh", kSessionHeader);
     },
     {"sessions/.s000001.csv.abcdefgh: the temporary file of a repair cut short (the file itself "
      "is whole); start the server once to remove it"}},
};

INSTANTIATE_TEST_SUITE_P(, RecordsCase, ::testing::ValuesIn(kCases), quib::testing::CaseName());

// Scripts sort the problems by kind: every kind the check knows is given to
// the disagreement it names, and some case above shows each of them.
TEST(ProblemKinds, EachIsGivenToTheDisagreementItNames) {
    std::set<ProblemKind> seen;
    for (const Case& c : kCases) {
        ScratchDirectory lab;
        fs::copy(QUIB_SCRIPTED_GAME_DIR, lab.path(), fs::copy_options::recursive);
        c.change(lab.path());
        for (const RecordProblem& problem : CheckRecords(lab.path(), ServerTexts()).problems) {
            seen.insert(problem.kind);
        }
    }
    for (const ProblemKind kind : AllProblemKinds()) {
        EXPECT_TRUE(seen.contains(kind)) << ProblemKindName(kind) << " is given to no problem";
    }
    const std::map<std::string, ProblemKind> kindOfCase = {
        {"RoundFileMissing", ProblemKind::MissingRoundFile},
        {"RoundFileInNoRow", ProblemKind::RoundNotListed},
        {"DurationDiffers", ProblemKind::RowAgainstRoundFile},
        {"RoundFileWithoutHeader", ProblemKind::ShortFile},
    };
    for (const Case& c : kCases) {
        const auto kind = kindOfCase.find(c.name);
        if (kind == kindOfCase.end()) {
            continue;
        }
        ScratchDirectory lab;
        fs::copy(QUIB_SCRIPTED_GAME_DIR, lab.path(), fs::copy_options::recursive);
        c.change(lab.path());
        const RecordsCheck check = CheckRecords(lab.path(), ServerTexts());
        ASSERT_EQ(check.problems.size(), 1u) << c.name;
        EXPECT_EQ(ProblemKindName(check.problems[0].kind), ProblemKindName(kind->second)) << c.name;
    }
}

}  // namespace
}  // namespace quib::server
