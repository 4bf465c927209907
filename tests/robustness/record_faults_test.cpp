// The files a round leaves behind when the lab's disk or folders misbehave:
// a full disk, folders the server may not write to, subject files that lost
// lines, and a working folder whose name holds blanks, umlauts and a great
// many characters. Whatever fails is reported; nothing that was written
// before is lost.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/key_codes.h"
#include "tests/server/engine/record_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"
#include "tests/support/live_game.h"
#include "tests/support/records_agree.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using quib::testing::ExpectRecordsAgree;
using quib::testing::kCannotDropRights;
using quib::testing::LimitFileSize;
using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::RecordFixture;
using quib::testing::RecordProblems;
using quib::testing::RunAsOrdinaryUser;
using quib::testing::RunInChild;
using quib::testing::WriteBytes;

const char kSubjectFile[] =
    "Spieler\n"
    "Spielernr.;000003\n"
    "Spielername;Anna\n"
    "Kommentar;\n"
    "Erstellt;01.03.24;10:00:00\n"
    "\n"
    "Punkte;0;Rekord;0\n"
    "Runden;0;Spielzeit;0;00:00:00\n"
    "\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n";

// A level-1 game with a subject in seat 0 whose rounds are played by
// calling the engine's round operations, as the network thread does.
class RoundFiles : public RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        subjectFile = logDir() / "p000003.csv";
        WriteBytes(subjectFile, kSubjectFile);
        SubjectRecord& subject = state.subjects[0];
        subject.subjectNumber = 3;
        subject.subjectName = "Anna";
        subject.subjectFile = Shown(subjectFile);
        for (int s = 0; s < kSeats; ++s) {
            seat(s).level = 1;
            seat(s).pictureName = "grafik/figur0.png";
        }
    }

    // A round that both players end at once on their start cells.
    void PlayRound(std::uint32_t setUpMs) {
        engine->game().BeginRoundRecord(setUpMs);
        engine->game().LogRoundEvent(RoundStartEvent, -1, -1, setUpMs + 1000);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 0, setUpMs + 2000);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 1, setUpMs + 2100);
        EndRound(setUpMs + 2100, true);
    }

    // Writes the round's files as the round end does; false when the round
    // file could not be written.
    bool Record(std::uint32_t writtenMs) {
        const bool written = WriteRound(writtenMs).roundSaved;
        FinishRound();
        return written;
    }

    std::filesystem::path subjectFile;
};

// The disk fills up while the second round's files are written: each file
// that cannot be written whole is reported, and the first round's game,
// position and subject files stay as they were, with no stray files.
TEST_F(RoundFiles, AFullDiskKeepsTheEarlierRoundsFilesWhole) {
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));
    const std::string game = ReadBytes(logDir() / "g000000.csv");
    const std::string positions = ReadBytes(log2Dir() / "g000000.csv");
    const std::string subject = ReadBytes(subjectFile);
    const std::vector<std::string> logNames = NamesIn(logDir());
    ASSERT_FALSE(game.empty());

    PlayRound(60000);
    const int result = RunInChild([&] {
        LimitFileSize(64);  // less than any of the files needs
        Record(62200);
        return boxes.shown.empty() ? 1 : 0;
    });

    EXPECT_EQ(result, 0) << "the failure was not reported";
    EXPECT_EQ(ReadBytes(logDir() / "g000000.csv"), game);
    EXPECT_EQ(ReadBytes(log2Dir() / "g000000.csv"), positions);
    EXPECT_EQ(ReadBytes(subjectFile), subject);
    EXPECT_EQ(NamesIn(logDir()), logNames);
    EXPECT_EQ(NamesIn(log2Dir()), std::vector<std::string>{"g000000.csv"});
    ExpectRecordsAgree(workDir());
}

// log/ and log2/ that the server's user may not write to: the round and the
// game files are reported as unwritable and nothing in the folders changes.
TEST_F(RoundFiles, FoldersThatCannotBeWrittenAreReported) {
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));
    const std::vector<std::string> logNames = NamesIn(logDir());
    const std::string game = ReadBytes(logDir() / "g000000.csv");
    const std::string subject = ReadBytes(subjectFile);
    // The ordinary user reaches the folders but may not write to them, nor
    // to the files already in them.
    std::filesystem::permissions(
        workDir(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    for (const std::filesystem::path& folder : {logDir(), log2Dir()}) {
        ::chmod(folder.c_str(), 0555);
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            ::chmod(entry.path().c_str(), 0444);
        }
    }

    PlayRound(60000);
    const std::string roundFile = Shown(logDir() / "r000001.csv");
    const int result = RunAsOrdinaryUser([&] {
        const bool roundWritten = Record(62200);
        const bool reported = !boxes.shown.empty() && boxes.shown[0].first == "Fehler!" &&
                              boxes.shown[0].second == "Kann Datei nicht schreiben: " + roundFile;
        return !roundWritten && reported ? 0 : 1;
    });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }

    EXPECT_EQ(result, 0);
    EXPECT_EQ(NamesIn(logDir()), logNames);
    EXPECT_EQ(ReadBytes(logDir() / "g000000.csv"), game);
    EXPECT_EQ(ReadBytes(subjectFile), subject);
    ExpectRecordsAgree(workDir());
}

struct DamagedSubject {
    std::string name;
    std::string bytes;
};

void PrintTo(const DamagedSubject& d, std::ostream* os) {
    *os << d.name;
}

const DamagedSubject kDamagedSubjects[] = {
    {"ThreeLinesOnly", "Spieler\nSpielernr.;000003\nSpielername;Anna\n"},
    {"NoLineFeed", "Spieler"},
    {"Empty", ""},
    {"CountersWithoutFields",
     "Spieler\nSpielernr.;000003\nSpielername;Anna\nKommentar\nErstellt\n"
     "\nPunkte\nRunden\n\nSpieldatei\n"},
};

class DamagedSubjectFile : public RoundFiles,
                           public ::testing::WithParamInterface<DamagedSubject> {};

// A subject file that lost lines or fields still takes the game's row; the
// lines it has keep their text (fields it lacks cannot be filled in), the
// round is counted, and the other files are written as usual.
TEST_P(DamagedSubjectFile, KeepsItsLinesAndTakesTheGameRow) {
    WriteBytes(subjectFile, GetParam().bytes);
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));

    const std::string after = ReadBytes(subjectFile);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(state.subjects[0].totalRounds, 1);
    const std::size_t row = after.find("g000000.csv;");
    ASSERT_NE(row, std::string::npos) << after;
    EXPECT_EQ(after.back(), '\n');
    // Everything before the row is the old text, line by line; the counters
    // may have been written into lines that lacked their fields.
    std::string before = GetParam().bytes;
    if (!before.empty() && before.back() != '\n') {
        before += '\n';
    }
    EXPECT_EQ(std::count(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(row), '\n'),
              std::count(before.begin(), before.end(), '\n'))
        << after;
    EXPECT_EQ(after.substr(0, std::min<std::size_t>(before.find('\n'), row)),
              before.substr(0, std::min<std::size_t>(before.find('\n'), row)));
    EXPECT_TRUE(std::filesystem::exists(logDir() / "g000000.csv"));
    // The round's own files agree; the subject file stays one whose totals
    // cannot be found.
    EXPECT_EQ(RecordProblems(workDir()),
              std::vector<std::string>{
                  "log/p000003.csv: layout not recognised: its number, name, comment, points and "
                  "rounds lines are not there once each and in this order"});
}

INSTANTIATE_TEST_SUITE_P(, DamagedSubjectFile, ::testing::ValuesIn(kDamagedSubjects),
                         quib::testing::CaseName());

// A whole round on the real network thread in a working folder whose name
// holds blanks, Windows-1252 umlauts and 200 characters: every file of the
// round is written there.
class OddWorkingFolder : public quib::testing::LiveGame {
  protected:
    void SetUp() override {
        workDir = dir.path() / ("Labor R\xE4ume und Pr\xFC"
                                "fungen " +
                                std::string(170, 'x'));
        StartIn(workDir);
    }
    std::filesystem::path workDir;
};

TEST_F(OddWorkingFolder, TheRoundsFilesAreWrittenThere) {
    tools::TestClient a;
    tools::TestClient b;
    ASSERT_TRUE(a.Connect(port()) && b.Connect(port()));
    std::bitset<256> space;
    space.set(kKeySpace);
    a.SetKeysDown(space);
    b.SetKeysDown(space);
    ASSERT_TRUE(WaitFor([&] { return GameState() == Running; }));
    a.SetKeysDown({});
    b.SetKeysDown({});
    ASSERT_TRUE(WaitFor([&] {
        return Locked([&] {
            return engine->game().seats[0].readyState == 0 &&
                   engine->game().seats[1].readyState == 0;
        });
    }));
    a.SetKeysDown(space);
    b.SetKeysDown(space);
    ASSERT_TRUE(WaitFor([&] { return RoundsRecorded() == 1; }));

    for (const char* file : {"log/r000000.csv", "log/g000000.csv", "log2/g000000.csv"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(workDir / file)) << file;
    }
    const std::string round = ReadBytes(workDir / "log/r000000.csv");
    EXPECT_TRUE(round.find("Gewonnen") != std::string::npos ||
                round.find("Verloren") != std::string::npos)
        << round;
}

}  // namespace
}  // namespace quib::server
