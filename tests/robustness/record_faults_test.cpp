// The files a round leaves behind when the lab's disk or folders misbehave:
// a full disk, folders the server may not write to, subject files that lost
// lines or were edited while in use, and a working folder whose name holds blanks, umlauts and a
// great many characters. Whatever fails is reported; nothing that was written before is lost.
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

// The experimenter edits the subject file between two rounds while the
// subject is chosen, in an editor that writes CR LF: a note above the totals,
// the points changed by hand, a last note without line end. The next round
// builds on the file as it is then: the notes keep their bytes, the points
// changed by hand are added to, and the seat's counters say what the file
// says.
TEST_F(RoundFiles, AnEditWhileTheSubjectIsChosenIsKept) {
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));
    const std::string firstRow = "g000000.csv;09.03.24 14:05:07;;1;1;1;2100;00:00:02;1;1\n";
    std::string edited = ReadBytes(subjectFile);
    ASSERT_NE(edited.find("\nPunkte;1;Rekord;1\nRunden;1;Spielzeit;2100;00:00:02\n"),
              std::string::npos)
        << edited;
    ASSERT_TRUE(edited.ends_with(firstRow)) << edited;
    const std::string note = "Notiz: nach Runde 1 neu gez\xE4hlt\r\n";
    const std::string lastNote = "Nachtrag ohne Zeilenende";
    edited.replace(edited.find("Punkte;1;"), 9, note + "Punkte;40;");
    WriteBytes(subjectFile, edited + lastNote);

    PlayRound(60000);
    ASSERT_TRUE(Record(62200));

    std::string expected = edited;
    const std::string totals = "Punkte;40;Rekord;1\nRunden;1;Spielzeit;2100;00:00:02\n";
    expected.replace(expected.find(totals), totals.size(),
                     "Punkte;41;Rekord;2\nRunden;2;Spielzeit;4200;00:00:04\n");
    expected.replace(expected.find(firstRow), firstRow.size(),
                     "g000000.csv;09.03.24 14:05:07;;2;2;2;4200;00:00:04;1;1\n");
    EXPECT_EQ(ReadBytes(subjectFile), expected + lastNote);
    EXPECT_TRUE(boxes.shown.empty());
    const SubjectRecord& anna = state.subjects[0];
    EXPECT_EQ(anna.totalPoints, 41);
    EXPECT_EQ(anna.record, 2);
    EXPECT_EQ(anna.totalRounds, 2);
    EXPECT_EQ(anna.totalPlayMs, 4200);
}

// The first round's update of the subject file could not be made (the file
// was away for a moment): the next round's update catches it up, since the
// totals follow the game's row and the file has none yet.
TEST_F(RoundFiles, ARoundMissingFromTheSubjectFileIsCaughtUp) {
    const std::filesystem::path away = logDir() / "away.csv";
    std::filesystem::rename(subjectFile, away);
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht lesen: " + Shown(subjectFile));
    std::filesystem::rename(away, subjectFile);

    PlayRound(60000);
    ASSERT_TRUE(Record(62200));

    const std::string after = ReadBytes(subjectFile);
    EXPECT_NE(after.find("\nPunkte;2;Rekord;2\nRunden;2;Spielzeit;4200;00:00:04\n"),
              std::string::npos)
        << after;
    EXPECT_TRUE(after.ends_with("\ng000000.csv;09.03.24 14:05:07;;2;2;2;4200;00:00:04;1;1\n"))
        << after;
    EXPECT_EQ(state.subjects[0].totalRounds, 2);
    EXPECT_EQ(state.subjects[0].totalPoints, 2);
}

struct DamagedSubject {
    std::string name;
    std::string bytes;
};

void PrintTo(const DamagedSubject& d, std::ostream* os) {
    *os << d.name;
}

std::string WithoutLine(const std::string& text, const std::string& start) {
    std::string result = text;
    const std::size_t at = result.find(start);
    return result.erase(at, result.find('\n', at) + 1 - at);
}

const DamagedSubject kDamagedSubjects[] = {
    {"ThreeLinesOnly", "Spieler\nSpielernr.;000003\nSpielername;Anna\n"},
    {"NoLineFeed", "Spieler"},
    {"Empty", ""},
    {"CountersWithoutFields",
     "Spieler\nSpielernr.;000003\nSpielername;Anna\nKommentar\nErstellt\n"
     "\nPunkte\nRunden\n\nSpieldatei\n"},
    {"RoundsLineDeleted", WithoutLine(kSubjectFile, "Runden;")},
    {"PointsLineTwice", std::string(kSubjectFile) + "Punkte;9;Rekord;9\r\n"},
};

class DamagedSubjectFile : public RoundFiles,
                           public ::testing::WithParamInterface<DamagedSubject> {};

// A subject file whose lines cannot be found (lost, doubled, or never there)
// is never rewritten: it stays byte for byte as it was, the box and the log
// view name it, the seat's counters stay, and the game's other files are
// written as usual.
TEST_P(DamagedSubjectFile, IsLeftUnchangedAndReported) {
    WriteBytes(subjectFile, GetParam().bytes);
    PlayRound(51000);
    ASSERT_TRUE(Record(53200));

    EXPECT_EQ(ReadBytes(subjectFile), GetParam().bytes);
    const std::string report =
        "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert: " + Shown(subjectFile);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], std::make_pair(std::string("Fehler!"), report));
    EXPECT_EQ(TakeLogTexts(),
              (std::vector<std::string>{
                  report, "Fehler!!! Spiel konnte nicht gespeichert werden: g000000.csv"}));
    EXPECT_EQ(state.subjects[0].totalRounds, 0);
    EXPECT_EQ(state.subjects[0].totalPoints, 0);
    EXPECT_TRUE(std::filesystem::exists(logDir() / "g000000.csv"));
    EXPECT_TRUE(std::filesystem::exists(log2Dir() / "g000000.csv"));
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
