// The game protocol (log/), the position protocol (log2/) and the subject
// files after each round: a scripted game of a won and a lost round, and
// what every kind of unreadable or unwritable file leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "common/key_codes.h"
#include "tests/server/engine/record_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/records_agree.h"

namespace quib::server {
namespace {

using quib::testing::FieldCounts;
using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::RecordFixture;
using quib::testing::WriteBytes;

// Anna (p000003.csv) has played before, with Ben among others; her file was
// written at creation (CR LF) and carries stray blanks. Ben (p000007.csv)
// is new.
const char kAnnaBefore[] =
    "Spieler\r\n"
    "Spielernr.;000003\r\n"
    "Spielername;Anna\r\n"
    "Kommentar;ruhig\\, konzentriert\r\n"
    "Erstellt;01.03.24;10:00:00\r\n"
    "\r\n"
    "Punkte;5;Rekord;2  \r\n"
    "  Runden;10;Spielzeit;60000;00:01:00\r\n"
    "\r\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n"
    " g000099.csv;01.03.24 10:05:00;p000007.csv;5;2;10;60000;00:01:00;1;1 \r\n";

const char kBenBefore[] =
    "Spieler\r\n"
    "Spielernr.;000007\r\n"
    "Spielername;Ben\r\n"
    "Kommentar;\r\n"
    "Erstellt;02.03.24;11:00:00\r\n"
    "\r\n"
    "Punkte;0;Rekord;0\r\n"
    "Runden;0;Spielzeit;0;00:00:00\r\n"
    "\r\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n";

constexpr Colour kRed = kColourTable[0];
constexpr Colour kYellow = kColourTable[1];
constexpr Colour kGreen = kColourTable[2];
constexpr Colour kBlue = kColourTable[3];

// A level-1 game of g000000.csv between Anna (seat 0) and Ben (seat 1).
// Round 1 (r000000.csv, set up at 51000): Ben moves from d up to b, both end
// on red: won. Round 2 (r000001.csv, set up at 60000): Anna moves from A
// right to B, yellow against Ben's green: lost.
class GameFiles : public RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        annaFile = logDir() / "p000003.csv";
        benFile = logDir() / "p000007.csv";
        WriteBytes(annaFile, kAnnaBefore);
        WriteBytes(benFile, kBenBefore);
        Seat(0, 3, "Anna", annaFile, 5, 2, 10, 60000);
        Seat(1, 7, "Ben", benFile, 0, 0, 0, 0);
        const Colour boards[kSeats][kCells] = {{kRed, kYellow, kGreen, kBlue},
                                               {kBlue, kRed, kYellow, kGreen}};
        for (int s = 0; s < kSeats; ++s) {
            seat(s).level = 1;
            seat(s).pictureName = "grafik/figur" + std::to_string(s) + ".png";
            for (int q = 0; q < kCells; ++q) {
                seat(s).colourA[q] = boards[s][q];
                seat(s).colourB[q] = kColourTable[kGreyColour];
            }
        }
    }

    void Seat(int s, std::int32_t number, const char* name, const std::filesystem::path& file,
              std::int32_t points, std::int32_t record, std::int32_t rounds, std::int32_t ms) {
        SubjectRecord& subject = state.subjects[s];
        subject.subjectNumber = number;
        subject.subjectName = name;
        subject.subjectFile = Shown(file);
        subject.totalPoints = points;
        subject.record = record;
        subject.totalRounds = rounds;
        subject.totalPlayMs = ms;
        subject.roundsWithPartner = rounds;
        subject.msWithPartner = ms;
    }

    // Both figures back on their start cells: seat 0 on A, seat 1 on d.
    void SetUpRound(std::uint32_t setUpMs) {
        seat(0).startCellX = seat(0).cellX = 0;
        seat(0).startCellY = seat(0).cellY = 0;
        seat(1).startCellX = seat(1).cellX = 1;
        seat(1).startCellY = seat(1).cellY = 1;
        engine->game().BeginRoundRecord(setUpMs);
    }

    void PlayWonRound() {
        SetUpRound(51000);
        engine->game().LogRoundEvent(RoundStartEvent, -1, -1, 53000);
        engine->game().LogRoundEvent(KeyEvent, kKeyUp, 1, 54000);
        seat(1).cellY = 0;
        engine->game().LogRoundEvent(PositionEvent, 1, 1, 54500);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 0, 55000);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 1, 55200);
        EndRound(55200, true);
    }

    void PlayLostRound() {
        SetUpRound(60000);
        engine->game().LogRoundEvent(RoundStartEvent, -1, -1, 61000);
        engine->game().LogRoundEvent(KeyEvent, kKeyRight, 0, 62000);
        seat(0).cellX = 1;
        engine->game().LogRoundEvent(PositionEvent, 1, 0, 62500);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 0, 63000);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 1, 63500);
        EndRound(63500, false);
    }

    // RecordRound's writing: the round file, then the game's files.
    void Record(std::uint32_t writtenMs) {
        ASSERT_TRUE(WriteRound(writtenMs).roundSaved);
        FinishRound();
    }

  public:
    std::filesystem::path gameFile() const { return logDir() / "g000000.csv"; }
    std::filesystem::path positionFile() const { return log2Dir() / "g000000.csv"; }
    using RecordFixture::log2Dir;

  protected:
    std::filesystem::path annaFile;
    std::filesystem::path benFile;
};

TEST_F(GameFiles, FirstRoundStartsBothFilesAndAddsTheGameToBothSubjects) {
    PlayWonRound();
    Record(55300);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadBytes(gameFile()), ExpectedFile("game_round1.csv"));
    EXPECT_EQ(ReadBytes(positionFile()), ExpectedFile("position_round1.csv"));
    EXPECT_EQ(ReadBytes(annaFile), ExpectedFile("p000003_round1.csv"));
    EXPECT_EQ(ReadBytes(benFile), ExpectedFile("p000007_round1.csv"));
    EXPECT_EQ(TakeLogTexts(),
              std::vector<std::string>{
                  "Spiel/Runde gespeichert: g000000.csv (Neue Datei!) / r000000.csv"});
    EXPECT_TRUE(engine->game().positionLogText.empty());
    EXPECT_EQ(engine->game().positionLogCount, 2);
}

TEST_F(GameFiles, SecondRoundUpdatesTotalsAndAppendsItsLines) {
    PlayWonRound();
    Record(55300);
    // The files come back with blanks and CR LF, as after an edit by hand:
    // the rewrite takes them out.
    std::string game = ReadBytes(gameFile());
    game.replace(game.find("\nRunden:;1\n"), 11, "\n  Runden:;1 \r\n");
    WriteBytes(gameFile(), "  " + game);
    const std::string position = ReadBytes(positionFile());
    WriteBytes(positionFile(), position.substr(0, position.size() - 1) + " \r\n");
    TakeLogTexts();
    clock.minute = 21;  // a file's header keeps the time it was started at

    PlayLostRound();
    Record(64000);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadBytes(gameFile()), ExpectedFile("game_round2.csv"));
    EXPECT_EQ(ReadBytes(positionFile()), ExpectedFile("position_round2.csv"));
    EXPECT_EQ(ReadBytes(annaFile), ExpectedFile("p000003_round2.csv"));
    EXPECT_EQ(ReadBytes(benFile), ExpectedFile("p000007_round2.csv"));
    EXPECT_EQ(TakeLogTexts(),
              std::vector<std::string>{
                  "Spiel/Runde gespeichert: g000000.csv (Vorhande Datei) / r000001.csv"});
}

// Every line below the headers has the fields its column titles name, so
// the files load into a table without a column shifting.
TEST_F(GameFiles, EveryRoundAndPositionLineHasItsColumnCount) {
    PlayWonRound();
    Record(55300);
    PlayLostRound();
    Record(64000);

    const std::vector<int> game = FieldCounts(ReadBytes(gameFile()));
    const std::vector<int> positions = FieldCounts(ReadBytes(positionFile()));
    ASSERT_EQ(game.size(), 21u);
    ASSERT_EQ(positions.size(), 23u);
    for (std::size_t line = 18; line < game.size(); ++line) {
        EXPECT_EQ(game[line], 23) << "game line " << line + 1;
    }
    for (std::size_t line = 18; line < positions.size(); ++line) {
        EXPECT_EQ(positions[line], 17) << "position line " << line + 1;
    }
}

TEST_F(GameFiles, SubjectCountersFollowTheirFiles) {
    PlayWonRound();
    Record(55300);
    state.refreshSubjectStats = 0;
    PlayLostRound();
    Record(64000);

    const SubjectRecord& anna = state.subjects[0];
    const SubjectRecord& ben = state.subjects[1];
    EXPECT_EQ(anna.totalPoints, 6);
    EXPECT_EQ(anna.record, 2);  // the game's best run (1) is below her record
    EXPECT_EQ(anna.totalRounds, 12);
    EXPECT_EQ(anna.totalPlayMs, 67700);
    EXPECT_EQ(anna.roundsWithPartner, 12);
    EXPECT_EQ(anna.msWithPartner, 67700);
    EXPECT_EQ(ben.totalPoints, 1);
    EXPECT_EQ(ben.record, 1);
    EXPECT_EQ(ben.totalRounds, 2);
    EXPECT_EQ(ben.totalPlayMs, 7700);
    EXPECT_EQ(ben.roundsWithPartner, 2);
    EXPECT_EQ(ben.msWithPartner, 7700);
    EXPECT_EQ(state.refreshSubjectStats, 1);
}

// A seat played without a subject has no file to update; that is no failure.
TEST_F(GameFiles, SeatWithoutSubjectIsSkippedQuietly) {
    state.subjects[1] = SubjectRecord{};
    PlayWonRound();
    Record(55300);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadBytes(benFile), kBenBefore);
    EXPECT_NE(
        ReadBytes(annaFile).find("\ng000000.csv;09.03.24 14:05:07;;1;1;1;4200;00:00:04;1;1\n"),
        std::string::npos);
    EXPECT_NE(ReadBytes(gameFile()).find("\nSpieler 2:;;Nummer:;0000-1;Datei:;\n"),
              std::string::npos);
    EXPECT_EQ(TakeLogTexts(),
              std::vector<std::string>{
                  "Spiel/Runde gespeichert: g000000.csv (Neue Datei!) / r000000.csv"});
}

struct FailureCase {
    const char* name;
    void (*block)(GameFiles& test);
    const char* boxText;  // followed by the path of the blocked file
    bool readFailure;
    bool positionFileBlocked;  // else the game file
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

const FailureCase kFailureCases[] = {
    {"GameFileIsUnreadable", [](GameFiles& t) { std::filesystem::create_directory(t.gameFile()); },
     "Kann Datei nicht lesen: ", true, false},
    {"PositionFileIsUnreadable",
     [](GameFiles& t) { std::filesystem::create_directory(t.positionFile()); },
     "Kann Datei nicht lesen: ", true, true},
    {"PositionFolderIsAFile",
     [](GameFiles& t) {
         std::filesystem::remove_all(t.log2Dir());
         WriteBytes(t.log2Dir(), "not a folder");
     },
     "Kann Datei nicht schreiben: ", false, true},
};

class BlockedGameFiles : public GameFiles, public ::testing::WithParamInterface<FailureCase> {};

// A game or position file that cannot be read or written keeps the whole
// round out of the files (a round file that no game file lists, or a game
// row without its position lines, would leave them disagreeing); nothing is
// written over a file that could not be read. The round waits in memory
// with its number, and goes out with the next round once writing works.
TEST_P(BlockedGameFiles, KeepTheWholeRoundWaitingUntilWritingWorksAgain) {
    const FailureCase& c = GetParam();
    c.block(*this);
    PlayWonRound();
    EXPECT_FALSE(WriteRound(55300).roundSaved);
    FinishRound();

    const std::filesystem::path blocked = c.positionFileBlocked ? positionFile() : gameFile();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "Fehler!");
    EXPECT_EQ(boxes.shown[0].second, c.boxText + Shown(blocked));
    if (c.readFailure) {
        EXPECT_TRUE(std::filesystem::is_directory(blocked));
        EXPECT_TRUE(NamesIn(blocked).empty());
    }
    const std::vector<std::string> untouched = {"p000003.csv", "p000007.csv"};
    const std::vector<std::string> withBlockedGameFile = {"g000000.csv", "p000003.csv",
                                                          "p000007.csv"};
    EXPECT_EQ(NamesIn(logDir()), c.positionFileBlocked ? untouched : withBlockedGameFile);
    EXPECT_EQ(ReadBytes(annaFile), kAnnaBefore);
    EXPECT_EQ(ReadBytes(benFile), kBenBefore);
    EXPECT_EQ(state.subjects[0].totalRounds, 10);
    EXPECT_EQ(TakeLogTexts(),
              std::vector<std::string>{
                  "Fehler!!! Runde und Spiel konnte nicht gespeichert werden: r000000.csv"});

    PlayLostRound();
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000001.csv")
        << "the waiting round's number is not given again";
    std::error_code ignored;
    std::filesystem::remove_all(blocked, ignored);
    if (!std::filesystem::is_directory(log2Dir())) {
        std::filesystem::remove(log2Dir());
        std::filesystem::create_directory(log2Dir());
    }
    Record(64000);
    EXPECT_EQ(ReadBytes(gameFile()), ExpectedFile("game_round2.csv"));
    EXPECT_EQ(ReadBytes(positionFile()), ExpectedFile("position_round2.csv"));
    EXPECT_EQ(ReadBytes(annaFile), ExpectedFile("p000003_round2.csv"));
    EXPECT_EQ(ReadBytes(benFile), ExpectedFile("p000007_round2.csv"));
    EXPECT_EQ(NamesIn(logDir()),
              (std::vector<std::string>{"g000000.csv", "p000003.csv", "p000007.csv", "r000000.csv",
                                        "r000001.csv"}));
    quib::testing::ExpectRecordsAgree(workDir());
}

INSTANTIATE_TEST_SUITE_P(, BlockedGameFiles, ::testing::ValuesIn(kFailureCases),
                         quib::testing::CaseName());

struct LinkCase {
    const char* name;
    const char* file;  // below the lab folder
    bool dangling;     // else a link to a file outside the lab folder
    bool roundWaits;   // else only the subject's update waits
};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << c.name;
}

const LinkCase kLinkCases[] = {
    {"RoundFileToAFileOutside", "log/r000000.csv", false, true},
    {"RoundFileDangling", "log/r000000.csv", true, true},
    {"GameFileToAFileOutside", "log/g000000.csv", false, true},
    {"GameFileDangling", "log/g000000.csv", true, true},
    {"PositionFileToAFileOutside", "log2/g000000.csv", false, true},
    {"PositionFileDangling", "log2/g000000.csv", true, true},
    {"SubjectFileToAFileOutside", "log/p000007.csv", false, false},
    {"SubjectFileDangling", "log/p000007.csv", true, false},
};

class LinkedRecordFile : public GameFiles, public ::testing::WithParamInterface<LinkCase> {
  protected:
    std::filesystem::path outsideFile() const { return outside.path() / "elsewhere.csv"; }

    quib::testing::ScratchDirectory outside;
};

// A link where a record file belongs, to a file outside the lab folder or
// to nothing (a new file's name taken), is never written through: the box
// and a log line name it, the file outside stays as it was, and the round
// waits in memory (a subject file's update waits with the subject). Once a
// regular file or nothing has the name again, the next round writes
// everything, the waiting round first.
TEST_P(LinkedRecordFile, IsRefusedAndTheRoundWaitsUntilItIsGone) {
    const LinkCase& c = GetParam();
    const std::filesystem::path link = workDir() / c.file;
    const std::string outsideBytes = std::string(kBenBefore) + "not the lab's\n";
    if (!c.dangling) {
        WriteBytes(outsideFile(), outsideBytes);
    }
    PlayWonRound();
    // After the round took its number: a link there beforehand would only
    // make the round take the next free one.
    ASSERT_EQ(engine->game().roundRecord.fileName, "r000000.csv");
    std::filesystem::remove(link);
    std::filesystem::create_symlink(outsideFile(), link);
    EXPECT_EQ(WriteRound(55300).roundSaved, !c.roundWaits);
    FinishRound();

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht schreiben: " + Shown(link));
    const std::vector<std::string> lines = TakeLogTexts();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), texts[txt::kNotARegularFile] + " " + Shown(link)),
        lines.end())
        << ::testing::PrintToString(lines);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    if (c.dangling) {
        EXPECT_FALSE(std::filesystem::exists(outsideFile()));
    } else {
        EXPECT_EQ(ReadBytes(outsideFile()), outsideBytes);
    }
    for (const std::filesystem::path& file :
         {logDir() / "r000000.csv", gameFile(), positionFile()}) {
        EXPECT_EQ(std::filesystem::is_regular_file(std::filesystem::symlink_status(file)),
                  !c.roundWaits)
            << file;
    }
    EXPECT_EQ(ReadBytes(annaFile), c.roundWaits ? kAnnaBefore : ExpectedFile("p000003_round1.csv"));

    std::filesystem::remove(link);
    if (link == benFile) {
        WriteBytes(benFile, kBenBefore);  // the subject's file itself instead of the link
    }
    PlayLostRound();
    Record(64000);
    EXPECT_EQ(ReadBytes(gameFile()), ExpectedFile("game_round2.csv"));
    EXPECT_EQ(ReadBytes(positionFile()), ExpectedFile("position_round2.csv"));
    EXPECT_EQ(ReadBytes(annaFile), ExpectedFile("p000003_round2.csv"));
    EXPECT_EQ(ReadBytes(benFile), ExpectedFile("p000007_round2.csv"));
    EXPECT_EQ(NamesIn(logDir()),
              (std::vector<std::string>{"g000000.csv", "p000003.csv", "p000007.csv", "r000000.csv",
                                        "r000001.csv"}));
    quib::testing::ExpectRecordsAgree(workDir());
}

INSTANTIATE_TEST_SUITE_P(, LinkedRecordFile, ::testing::ValuesIn(kLinkCases),
                         quib::testing::CaseName());

// A writer whose position folder was never set up writes nothing into the
// current directory; the round waits as for a failed write.
TEST_F(GameFiles, PositionFolderNotSetUpIsAFailedWrite) {
    PlayWonRound();
    server::RecordWriter writer(texts, {{}, logDir(), {}}, &boxes, [](const std::string&) {});
    const server::FinishedRound round = engine->game().DescribeFinishedRound(55300);
    EXPECT_FALSE(writer.Write(round).roundSaved);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht schreiben: g000000.csv");
    EXPECT_EQ(writer.waitingRounds(), 1u);
    EXPECT_TRUE(writer.HoldsRoundNumber(0));
    EXPECT_TRUE(writer.HoldsGameNumber(0));
    EXPECT_EQ(NamesIn(logDir()), (std::vector<std::string>{"p000003.csv", "p000007.csv"}));
    EXPECT_EQ(ReadBytes(annaFile), kAnnaBefore);
}

TEST_F(GameFiles, UnreadableSubjectFileIsReportedAndTheOtherStillUpdated) {
    std::filesystem::remove(annaFile);
    PlayWonRound();
    Record(55300);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht lesen: " + Shown(annaFile));
    EXPECT_FALSE(std::filesystem::exists(annaFile));
    EXPECT_EQ(state.subjects[0].totalRounds, 10);
    EXPECT_EQ(ReadBytes(benFile), ExpectedFile("p000007_round1.csv"));
    EXPECT_EQ(TakeLogTexts(), std::vector<std::string>{
                                  "Fehler!!! Spiel konnte nicht gespeichert werden: g000000.csv"});
}

// With every game number taken the game has no file name: nothing is
// written under the folder's own name, and the round is reported unsaved.
TEST_F(GameFiles, GameWithoutFileNameIsNotWritten) {
    engine->game().gameRecord.fileName.clear();
    PlayWonRound();
    EXPECT_FALSE(WriteRound(55300).roundSaved);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht schreiben: " + Shown(logDir()) + "/");
    EXPECT_TRUE(NamesIn(log2Dir()).empty());
    EXPECT_EQ(NamesIn(logDir()), (std::vector<std::string>{"p000003.csv", "p000007.csv"}));
    EXPECT_EQ(ReadBytes(annaFile), kAnnaBefore);
}

// A game whose files stay blocked holds back only its own rounds: the next
// game's rounds are written while the first game's round keeps waiting, with
// its numbers, until its file can be written.
TEST_F(GameFiles, ABlockedGameHoldsBackOnlyItsOwnRounds) {
    std::filesystem::create_directory(positionFile());
    PlayWonRound();
    EXPECT_FALSE(WriteRound(55300).roundSaved);
    FinishRound();

    engine->game().BeginGameRecord(58000, kGameDate);
    EXPECT_EQ(engine->game().gameRecord.fileName, "g000001.csv");
    PlayLostRound();
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000001.csv");
    EXPECT_TRUE(WriteRound(64000).roundSaved);
    FinishRound();

    EXPECT_TRUE(std::filesystem::is_regular_file(logDir() / "g000001.csv"));
    EXPECT_TRUE(std::filesystem::is_regular_file(logDir() / "r000001.csv"));
    EXPECT_FALSE(std::filesystem::exists(logDir() / "r000000.csv"));
    EXPECT_EQ(TakeLogTexts(),
              (std::vector<std::string>{
                  "Fehler!!! Runde und Spiel konnte nicht gespeichert werden: r000000.csv",
                  "Fehler!!! Runde und Spiel konnte nicht gespeichert werden: r000000.csv",
                  "Spiel/Runde gespeichert: g000001.csv (Neue Datei!) / r000001.csv"}));

    std::filesystem::remove(positionFile());
    engine->game().BeginGameRecord(70000, kGameDate);
    EXPECT_EQ(engine->game().gameRecord.fileName, "g000002.csv");
    PlayWonRound();
    EXPECT_TRUE(WriteRound(75000).roundSaved);
    EXPECT_TRUE(std::filesystem::is_regular_file(logDir() / "r000000.csv"));
    EXPECT_TRUE(std::filesystem::is_regular_file(positionFile()));
    quib::testing::ExpectRecordsAgree(workDir());
}

}  // namespace
}  // namespace quib::server
