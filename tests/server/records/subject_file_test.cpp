#include "server/records/subject_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/work_folders.h"
#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

// What CreateSubjectFile writes for subject 1, "Anna Müller", created on
// 8 December 2014 at 13:05:09, with the German texts.
const std::string kCreatedAnna =
    "Spieler\r\n"
    "Spielernr.;000001\r\n"
    "Spielername;Anna M\xFCller\r\n"
    "Kommentar;\r\n"
    "Erstellt;08.12.14;13:05:09\r\n"
    "\r\n"
    "Punkte;0;Rekord;0\r\n"
    "Runden;0;Spielzeit;0;00:00:00\r\n"
    "\r\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n";

// A subject who has played: three games with subject 7, one with subject 8
// and one with a file whose name only starts like subject 7's.
const std::vector<std::string> kPlayedLines = {
    "Spieler",
    "Spielernr.;000003",
    "Spielername;  Bea  ",
    "Kommentar;x\\,y\\nz",
    "Erstellt;08.12.14;13:05:09",
    "",
    "Punkte;12;Rekord;5",
    "Runden;30;Spielzeit;90500;00:01:30",
    "",
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige",
    "g000001.csv;10:00:00;p000007.csv;3;3;4;20000;00:00:20;1;offen",
    "g000002.csv;10:05:00;p000008.csv;9;9;50;500000;00:08:20;1;offen",
    "g000003.csv;10:10:00;p000007.csv;1;3;2;5500;00:00:05;2;verdeckt",
    "g000004.csv;10:15:00;p0000070.csv;1;1;100;100;00:00:00;2;verdeckt",
};

std::string Joined(const std::vector<std::string>& lines, const std::string& before,
                   const std::string& after) {
    std::string text;
    for (const std::string& line : lines) {
        text += before + line + after;
    }
    return text;
}

class SubjectFileTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(LogDir()); }

    fs::path LogDir() const { return WorkFolders::In(dir_.path()).log; }
    fs::path File(const std::string& name) const { return LogDir() / name; }
    std::string PathText(const std::string& name) const { return File(name).generic_string(); }

    CreateSubjectResult Create(std::int32_t number, std::string_view name) {
        return CreateSubjectFile(dir_.path(), texts_, number, name, now_);
    }
    SubjectReadResult Read(std::string_view entry, std::string_view otherSeatFile = "") {
        return ReadSubjectFile(dir_.path(), entry, otherSeatFile, texts_);
    }

    ScratchDirectory dir_;
    ServerTexts texts_;
    LocalTime now_{2014, 12, 8, 13, 5, 9};
};

// ------------------------------------------------------------- creating

TEST_F(SubjectFileTest, NewSubjectFillsTheFirstGap) {
    WriteBytes(File("p000000.csv"), kCreatedAnna);
    WriteBytes(File("p000002.csv"), kCreatedAnna);
    const NewSubjectPlan plan = PlanNewSubject(dir_.path(), texts_);
    EXPECT_EQ(plan.number, 1);
    EXPECT_EQ(plan.boxTitle, "Neuen Probanten anlegen: (000001)");
    EXPECT_EQ(plan.errorText, "");
}

TEST_F(SubjectFileTest, CreatesTheTenLinesWithTheTrimmedName) {
    const CreateSubjectResult result = Create(1, "  Anna M\xFCller  ");
    EXPECT_EQ(result.status, CreateSubjectStatus::Created);
    EXPECT_EQ(result.number, 1);
    EXPECT_EQ(result.entry, "000001 - Anna M\xFCller");
    EXPECT_EQ(result.errorText, "");
    EXPECT_EQ(ReadBytes(File("p000001.csv")), kCreatedAnna);
    EXPECT_EQ(NamesIn(LogDir()), std::vector<std::string>{"p000001.csv"});
}

TEST_F(SubjectFileTest, CreatedLinesComeFromTheLanguageTexts) {
    texts_.Set(txt::kPlayerField, "Player");
    texts_.Set(txt::kFilePoints, "Points");
    texts_.Set(txt::kSubjectPlayTimeField, "Time played");
    texts_.Set(txt::kDisplayColumn, "View");
    ASSERT_EQ(Create(0, "Al").status, CreateSubjectStatus::Created);
    const std::string text = ReadBytes(File("p000000.csv"));
    const std::vector<std::string_view> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "Player");
    EXPECT_EQ(lines[6], "Points;0;Rekord;0") << "\"Rekord\" is a fixed word";
    EXPECT_EQ(lines[7], "Runden;0;Time played;0;00:00:00");
    EXPECT_EQ(lines[9],
              "Spieldatei;Zeit;Gegner;Points;Highscore;Runden;Dauer (ms);Dauer;Level;View");
}

struct NoNameCase {
    const char* name;
    const char* typed;
};

class NoNameTest : public SubjectFileTest, public ::testing::WithParamInterface<NoNameCase> {};

TEST_P(NoNameTest, CreatesNothing) {
    const CreateSubjectResult result = Create(0, GetParam().typed);
    EXPECT_EQ(result.status, CreateSubjectStatus::NoName);
    EXPECT_EQ(result.entry, "");
    EXPECT_EQ(result.errorText, "");
    EXPECT_TRUE(NamesIn(LogDir()).empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, NoNameTest,
                         ::testing::Values(NoNameCase{"Cancelled", ""},
                                           NoNameCase{"SpacesOnly", "     "},
                                           NoNameCase{"LineBreaksOnly", " \r\n "}),
                         quib::testing::CaseName{});

TEST_F(SubjectFileTest, LineBreaksInANameDoNotSplitTheFile) {
    const CreateSubjectResult result = Create(0, "Anna\nBerg");
    EXPECT_EQ(result.entry, "000000 - Anna Berg");
    EXPECT_EQ(SplitLines(ReadBytes(File("p000000.csv"))).size(), 10u);
    EXPECT_EQ(Read(result.entry).record.subjectName, "Anna Berg");
}

TEST_F(SubjectFileTest, UnwritableLogFolderIsReportedWithThePath) {
    fs::remove(LogDir());
    WriteBytes(LogDir(), "not a folder");
    const NewSubjectPlan plan = PlanNewSubject(dir_.path(), texts_);
    ASSERT_EQ(plan.number, 0);
    const CreateSubjectResult result = Create(plan.number, "Anna");
    EXPECT_EQ(result.status, CreateSubjectStatus::Failed);
    EXPECT_EQ(result.errorText, "Kann Datei nicht schreiben: " + PathText("p000000.csv"));
    EXPECT_EQ(result.entry, "");
    EXPECT_EQ(ReadBytes(LogDir()), "not a folder");
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"log"});
}

// The number was free when the name was asked for; a file that appeared in
// the meantime belongs to somebody and is kept.
TEST_F(SubjectFileTest, FileThatAppearedMeanwhileIsNotReplaced) {
    const NewSubjectPlan plan = PlanNewSubject(dir_.path(), texts_);
    WriteBytes(File("p000000.csv"), "somebody else");
    const CreateSubjectResult result = Create(plan.number, "Anna");
    EXPECT_EQ(result.status, CreateSubjectStatus::Failed);
    EXPECT_EQ(result.errorText, "Kann Datei nicht schreiben: " + PathText("p000000.csv"));
    EXPECT_EQ(ReadBytes(File("p000000.csv")), "somebody else");
    EXPECT_EQ(NamesIn(LogDir()), std::vector<std::string>{"p000000.csv"});
}

TEST_F(SubjectFileTest, NumbersBeyondSixDigitsAreNeverWritten) {
    for (const std::int32_t number : {-1, 1000000}) {
        const CreateSubjectResult result = Create(number, "Anna");
        EXPECT_EQ(result.status, CreateSubjectStatus::Failed);
        EXPECT_EQ(result.errorText, "Kann Datei nicht schreiben: " + PathText("p1000000.csv"));
    }
    EXPECT_TRUE(NamesIn(LogDir()).empty());
}

// -------------------------------------------------------------- reading

TEST_F(SubjectFileTest, ReadsBackACreatedSubject) {
    const CreateSubjectResult created = Create(1, "Anna M\xFCller");
    const SubjectReadResult result = Read(created.entry);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.errorText, "");
    EXPECT_EQ(result.record.subjectNumber, 1);
    EXPECT_EQ(result.record.subjectName, "Anna M\xFCller");
    EXPECT_EQ(result.record.subjectFile, PathText("p000001.csv"));
    EXPECT_EQ(result.record.comment, "");
    EXPECT_EQ(result.record.totalPoints, 0);
    EXPECT_EQ(result.record.totalPlayMs, 0);
}

// What Bea's file says, read with subject 7 in the other seat.
void ExpectBeaAgainstPartner7(const SubjectRecord& r) {
    EXPECT_EQ(r.subjectNumber, 3);
    EXPECT_EQ(r.subjectName, "Bea");
    EXPECT_EQ(r.comment, "x;y\r\nz");
    EXPECT_EQ(r.totalPoints, 12);
    EXPECT_EQ(r.record, 5);
    EXPECT_EQ(r.totalRounds, 30);
    EXPECT_EQ(r.totalPlayMs, 90500);
    EXPECT_EQ(r.roundsWithPartner, 4 + 2);
    EXPECT_EQ(r.msWithPartner, 20000 + 5500);
}

struct LineEndCase {
    const char* name;
    const char* before;
    const char* after;
    const char* tail;  // replaces the last line end
};

class ReadLineEndsTest : public SubjectFileTest,
                         public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(ReadLineEndsTest, ReadsTotalsCommentAndGamesWithThePartner) {
    std::string text = Joined(kPlayedLines, GetParam().before, GetParam().after);
    text.resize(text.size() - std::string(GetParam().after).size());
    WriteBytes(File("p000003.csv"), text + GetParam().tail);

    const SubjectReadResult result = Read("000003 - Bea", PathText("p000007.csv"));
    ASSERT_TRUE(result.ok);
    ExpectBeaAgainstPartner7(result.record);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadLineEndsTest,
    ::testing::Values(LineEndCase{"LineFeeds", "", "\n", "\n"},
                      LineEndCase{"CarriageReturnLineFeeds", "", "\r\n", "\r\n"},
                      LineEndCase{"NoFinalLineEnd", "", "\n", ""},
                      LineEndCase{"SpacesAroundLines", "  ", "  \r\n", "  \r\n"}),
    quib::testing::CaseName{});

struct InsertedLinesCase {
    const char* name;
    std::size_t at;    // index into kPlayedLines the lines go before
    const char* text;  // with their own line ends
};

class ReadInsertedLinesTest : public SubjectFileTest,
                              public ::testing::WithParamInterface<InsertedLinesCase> {};

// Lines a spreadsheet or an editor added move nothing: name, comment, totals
// and partner counters are found by their labels, and a note is no game row
// even when it names the partner's file.
TEST_P(ReadInsertedLinesTest, FindsEverythingByItsLabel) {
    std::string text;
    for (std::size_t i = 0; i < kPlayedLines.size(); ++i) {
        text += (i == GetParam().at ? std::string(GetParam().text) : "") + kPlayedLines[i] + "\n";
    }
    WriteBytes(File("p000003.csv"), text);

    const SubjectReadResult result = Read("000003 - Bea", PathText("p000007.csv"));
    ASSERT_TRUE(result.ok);
    ExpectBeaAgainstPartner7(result.record);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadInsertedLinesTest,
    ::testing::Values(
        InsertedLinesCase{"NoteWithCrLfAboveTheTotals", 6, "Notiz: Sitzung 2 abgebrochen\r\n"},
        InsertedLinesCase{"BlankLinesAboveTheTitle", 0, "\n \r\n\n"},
        InsertedLinesCase{"NoteNamingThePartnerBetweenTheRows", 11,
                          "Notiz;10:07:00;p000007.csv;1;1;7;7000;00:00:07;1;offen\r\n"},
        InsertedLinesCase{"ExtraColumnTitlesAboveTheRows", 10, "Spiele;mit;Gegner\n"}),
    quib::testing::CaseName{});

// A file whose lines cannot be found cannot be used until it is mended.
TEST_F(SubjectFileTest, UnrecognisedLayoutIsReportedAndLeavesTheSeatEmpty) {
    std::vector<std::string> lines = kPlayedLines;
    lines.erase(lines.begin() + 7);  // the rounds line
    WriteBytes(File("p000003.csv"), Joined(lines, "", "\n"));
    const SubjectReadResult result = Read("000003 - Bea");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorText, "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert: " +
                                    PathText("p000003.csv"));
    EXPECT_EQ(result.logText, result.errorText);
    EXPECT_EQ(result.record.subjectNumber, -1);
    EXPECT_EQ(result.record.subjectFile, "");
}

TEST_F(SubjectFileTest, PartnerIsMatchedByFileNameAlone) {
    WriteBytes(File("p000003.csv"), Joined(kPlayedLines, "", "\n"));
    EXPECT_EQ(Read("000003 - Bea", "p000008.csv").record.roundsWithPartner, 50);
    EXPECT_EQ(Read("000003 - Bea", "C:\\quib\\log\\p000008.csv").record.msWithPartner, 500000);
}

TEST_F(SubjectFileTest, NoPartnerCountsWithoutASubjectInTheOtherSeat) {
    std::vector<std::string> lines = kPlayedLines;
    lines.push_back("g000005.csv;10:20:00;;1;1;9;900;00:00:00;1;offen");
    WriteBytes(File("p000003.csv"), Joined(lines, "", "\n"));
    const SubjectReadResult result = Read("000003 - Bea", "");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.record.roundsWithPartner, 0);
    EXPECT_EQ(result.record.msWithPartner, 0);
    EXPECT_EQ(result.record.totalRounds, 30);
}

struct UnreadableCase {
    const char* name;
    const char* entry;
};

class ReadUnreadableTest : public SubjectFileTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(ReadUnreadableTest, LeavesTheSeatEmpty) {
    fs::create_directory(File("p000006.csv"));
    WriteBytes(dir_.path() / "secret.csv", Joined(kPlayedLines, "", "\n"));
    const SubjectReadResult result = Read(GetParam().entry);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorText, "Kann Datei nicht lesen");
    EXPECT_EQ(result.record.subjectNumber, -1);
    EXPECT_EQ(result.record.subjectFile, "");
    EXPECT_EQ(result.record.subjectName, "");
}

INSTANTIATE_TEST_SUITE_P(Entries, ReadUnreadableTest,
                         ::testing::Values(UnreadableCase{"MissingFile", "000005 - Ghost"},
                                           UnreadableCase{"FolderOfThatName", "000006 - Dir"},
                                           UnreadableCase{"PlaceholderEntry",
                                                          "Probanten ausw\xE4hlen ..."},
                                           UnreadableCase{"PathInTheEntry", "../secret - x"},
                                           UnreadableCase{"ShortEntry", "00"}),
                         quib::testing::CaseName{});

// Quoted as CSV quotes it, so that the server, a spreadsheet and every other
// reader read the name whole; a name without ";" or '"' keeps its bytes.
TEST_F(SubjectFileTest, NameWithSemicolonOrQuoteIsQuotedAndReadsBackWhole) {
    const CreateSubjectResult created = Create(0, "Jo;hn \"J\"");
    EXPECT_EQ(created.entry, "000000 - Jo;hn \"J\"");
    EXPECT_EQ(SplitLines(ReadBytes(File("p000000.csv")))[2], "Spielername;\"Jo;hn \"\"J\"\"\"");
    EXPECT_EQ(Read(created.entry).record.subjectName, "Jo;hn \"J\"");
    EXPECT_EQ(ListSubjects(dir_.path(), texts_).entries,
              std::vector<std::string>{"000000 - Jo;hn \"J\""});
}

TEST_F(SubjectFileTest, SameSubjectInBothSeatsWarnsInBothPanels) {
    const CreateSubjectResult created = Create(4, "Anna");
    const SubjectRecord seat0 = Read(created.entry).record;
    const SubjectRecord seat1 = Read(created.entry, seat0.subjectFile).record;
    const SubjectStatistics expected = {"Punkte: 0 Gesamt, 0 Rekord",
                                        "Gesamtspielzeit: 0 Std. 00 Min.", "> Es wurde zweimal der",
                                        "selbe Spieler ausgew\xE4hlt!"};
    EXPECT_EQ(SubjectStatisticsLines(seat0, seat1, texts_), expected);
    EXPECT_EQ(SubjectStatisticsLines(seat1, seat0, texts_), expected);
}

// ------------------------------------------------------------ commenting

// Every line trimmed and ended by LF, the comment on line 4.
std::string SavedAnna(const std::string& storedComment) {
    return "Spieler\n"
           "Spielernr.;000001\n"
           "Spielername;Anna M\xFCller\n"
           "Kommentar;" +
           storedComment +
           "\n"
           "Erstellt;08.12.14;13:05:09\n"
           "\n"
           "Punkte;0;Rekord;0\n"
           "Runden;0;Spielzeit;0;00:00:00\n"
           "\n"
           "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n";
}

TEST_F(SubjectFileTest, CommentSurvivesARestart) {
    const CreateSubjectResult created = Create(1, "Anna M\xFCller");
    const std::string comment = "Erste Zeile; mit Semikolon\r\nzweite Zeile";
    const SaveCommentResult saved = SaveCommentToFile(PathText("p000001.csv"), comment, texts_);
    EXPECT_EQ(saved.status, SaveCommentStatus::Saved);
    EXPECT_EQ(saved.errorText, "");
    EXPECT_EQ(ReadBytes(File("p000001.csv")),
              SavedAnna("Erste Zeile\\, mit Semikolon\\nzweite Zeile"));
    EXPECT_EQ(NamesIn(LogDir()), std::vector<std::string>{"p000001.csv"});

    const SubjectReadResult reread = Read(created.entry);
    EXPECT_EQ(reread.record.comment, comment);
    EXPECT_EQ(reread.record.subjectName, "Anna M\xFCller");
    EXPECT_EQ(reread.record.subjectNumber, 1);
}

TEST_F(SubjectFileTest, EditorLineFeedsAreStoredAsLineBreaks) {
    Create(1, "Anna M\xFCller");
    SaveCommentToFile(PathText("p000001.csv"), "a\nb", texts_);
    EXPECT_EQ(ReadBytes(File("p000001.csv")), SavedAnna("a\\nb"));
    EXPECT_EQ(Read("000001").record.comment, "a\r\nb");
}

TEST_F(SubjectFileTest, SavingRewritesEveryLineTrimmedWithLineFeeds) {
    std::vector<std::string> lines = kPlayedLines;
    lines[4] = "Erstellt;08.12.14;13:05:09;extra";
    WriteBytes(File("p000003.csv"), Joined(lines, " ", "  \r\n"));
    const SubjectRecord before = Read("000003", "p000007.csv").record;

    ASSERT_EQ(SaveCommentToFile(PathText("p000003.csv"), "neu", texts_).status,
              SaveCommentStatus::Saved);

    lines[2] = "Spielername;  Bea";
    lines[3] = "Kommentar;neu";
    EXPECT_EQ(ReadBytes(File("p000003.csv")), Joined(lines, "", "\n"));
    const SubjectRecord after = Read("000003", "p000007.csv").record;
    EXPECT_EQ(after.comment, "neu");
    EXPECT_EQ(after.subjectName, before.subjectName);
    EXPECT_EQ(after.totalPlayMs, before.totalPlayMs);
    EXPECT_EQ(after.roundsWithPartner, before.roundsWithPartner);
    EXPECT_EQ(after.msWithPartner, before.msWithPartner);
}

TEST_F(SubjectFileTest, CommentLineWithoutSeparatorGetsOne) {
    std::vector<std::string> lines = kPlayedLines;
    lines[3] = "Kommentar";
    WriteBytes(File("p000003.csv"), Joined(lines, "", "\n"));
    EXPECT_EQ(SaveCommentToFile(PathText("p000003.csv"), "neu", texts_).status,
              SaveCommentStatus::Saved);
    lines[3] = "Kommentar;neu";
    lines[2] = "Spielername;  Bea";
    EXPECT_EQ(ReadBytes(File("p000003.csv")), Joined(lines, "", "\n"));
}

// The comment lands on the comment line wherever it has moved to; lines the
// program does not own keep their bytes and line ends, its own turn LF.
TEST_F(SubjectFileTest, CommentFindsItsLineAndNotesStayAsTheyWere) {
    const std::string note = " Notiz: Brille vergessen; bitte nachfragen \r\n";
    const std::string spreadsheetLine = ";;;;\r\n";
    std::string before;
    std::string expected;
    for (std::size_t i = 0; i < kPlayedLines.size(); ++i) {
        const std::string inserted = i == 3 ? note : i == 11 ? spreadsheetLine : "";
        before += inserted + kPlayedLines[i] + "\r\n";
        const std::string own = i == 2   ? "Spielername;  Bea"
                                : i == 3 ? "Kommentar;neu\\nzweite"
                                         : kPlayedLines[i];
        expected += inserted + own + "\n";
    }
    WriteBytes(File("p000003.csv"), before);
    ASSERT_EQ(SaveCommentToFile(PathText("p000003.csv"), "neu\r\nzweite", texts_).status,
              SaveCommentStatus::Saved);
    EXPECT_EQ(ReadBytes(File("p000003.csv")), expected);
    EXPECT_EQ(Read("000003").record.comment, "neu\r\nzweite");
}

struct SaveFailureCase {
    const char* name;
    const char* file;  // in log/, written with `content` unless empty
    const char* content;
    const char* expectedPrefix;
    bool logged;  // named in the log view too
};

class SaveFailureTest : public SubjectFileTest,
                        public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailureTest, ReportsAndKeepsTheFile) {
    const SaveFailureCase& c = GetParam();
    if (*c.content != '\0') {
        WriteBytes(File(c.file), c.content);
    }
    const std::vector<std::string> namesBefore = NamesIn(LogDir());
    const SaveCommentResult result = SaveCommentToFile(PathText(c.file), "neu", texts_);
    EXPECT_EQ(result.status, SaveCommentStatus::Failed);
    EXPECT_EQ(result.errorText, c.expectedPrefix + PathText(c.file));
    EXPECT_EQ(result.logText, c.logged ? result.errorText : "");
    EXPECT_EQ(NamesIn(LogDir()), namesBefore);
    if (*c.content != '\0') {
        EXPECT_EQ(ReadBytes(File(c.file)), c.content);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveFailureTest,
    ::testing::Values(
        SaveFailureCase{"MissingFile", "p000009.csv", "", "Kann Datei nicht lesen: ", false},
        // No comment line to hold the comment: saving could only put it
        // where a note stands.
        SaveFailureCase{"NoCommentLine", "p000002.csv",
                        "Spieler\r\nSpielernr.;000002\r\nSpielername;Cleo\r\n\r\n"
                        "Punkte;0;Rekord;0\r\nRunden;0;Spielzeit;0;00:00:00\r\n",
                        "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert: ", true},
        SaveFailureCase{"TotalsTwice", "p000003.csv",
                        "Spieler\nSpielernr.;000003\nSpielername;Bea\nKommentar;\n"
                        "Punkte;0;Rekord;0\nRunden;0;Spielzeit;0;00:00:00\n"
                        "Punkte;1;Rekord;1\n",
                        "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert: ", true}),
    quib::testing::CaseName{});

// A subject file is a record file: a link in its place (here to a file
// outside the lab folder) is refused, not written through, and named in
// the log view.
TEST_F(SubjectFileTest, CommentIsNotSavedThroughALink) {
    const ScratchDirectory outside;
    const std::filesystem::path elsewhere = outside.path() / "p000004.csv";
    const std::string content =
        "Spieler\nSpielernr.;000004\nSpielername;Dora\nKommentar;\n"
        "Punkte;0;Rekord;0\nRunden;0;Spielzeit;0;00:00:00\n";
    WriteBytes(elsewhere, content);
    std::filesystem::create_symlink(elsewhere, File("p000004.csv"));

    const SaveCommentResult result = SaveCommentToFile(PathText("p000004.csv"), "neu", texts_);

    EXPECT_EQ(result.status, SaveCommentStatus::Failed);
    EXPECT_EQ(result.errorText, "Kann Datei nicht schreiben: " + PathText("p000004.csv"));
    EXPECT_EQ(result.logText, texts_[txt::kNotARegularFile] + " " + PathText("p000004.csv"));
    EXPECT_EQ(ReadBytes(elsewhere), content);
    EXPECT_TRUE(std::filesystem::is_symlink(File("p000004.csv")));
}

TEST_F(SubjectFileTest, SeatWithoutSubjectHasNothingToSave) {
    const SaveCommentResult result = SaveCommentToFile("", "neu", texts_);
    EXPECT_EQ(result.status, SaveCommentStatus::NoSubject);
    EXPECT_EQ(result.errorText, "");
}

using quib::testing::kCannotDropRights;
using quib::testing::LimitFileSize;
using quib::testing::RunAsOrdinaryUser;
using quib::testing::RunInChild;

TEST_F(SubjectFileTest, FullDiskLeavesTheOldFileWhole) {
    Create(1, "Anna M\xFCller");
    const std::string path = PathText("p000001.csv");
    const std::string expectedError = "Kann Datei nicht schreiben: " + path;
    const int result = RunInChild([&] {
        LimitFileSize(100);  // the file needs about 230 bytes
        const SaveCommentResult saved = SaveCommentToFile(path, "neu", texts_);
        return saved.status == SaveCommentStatus::Failed && saved.errorText == expectedError ? 0
                                                                                             : 1;
    });
    EXPECT_EQ(result, 0) << "the failure is reported with the path";
    EXPECT_EQ(ReadBytes(File("p000001.csv")), kCreatedAnna);
    EXPECT_EQ(NamesIn(LogDir()), std::vector<std::string>{"p000001.csv"});
}

// -------------------------------------------------------------- listing

// The name is found by its label; a file whose lines cannot be found, a
// short one among them, shows "Fehler!".
TEST_F(SubjectFileTest, ListsSubjectFilesInNameOrder) {
    const auto withName = [](const std::string& nameLine) {
        std::string text = kCreatedAnna;
        return text.replace(text.find("Spielername;"),
                            std::string("Spielername;Anna M\xFCller").size(), nameLine);
    };
    WriteBytes(File("p000002.csv"), "Notiz\r\n\r\n" + withName("Spielername;Cleo"));
    WriteBytes(File("p000000.csv"), withName(" Spielername ;  Anna "));
    WriteBytes(File("p000001.csv"), "Spieler\nSpielernr.;000001\n");
    WriteBytes(File("p000004.csv"), "Spieler\nSpielernr.;000004\nSpielername;Dora\nKommentar;\n");
    WriteBytes(File("p000006.csv"), withName("Spielername;Jo;hn"));
    fs::create_directory(File("p000003.csv"));
    for (const char* other : {"p00000x.csv", "p0000004.csv", "g000000.csv", "r000000.csv",
                              ".p000005.csv.abcdefgh", "p000007.CSV", "P000008.csv"}) {
        WriteBytes(File(other), kCreatedAnna);
    }
    const SubjectList list = ListSubjects(dir_.path(), texts_);
    EXPECT_EQ(list.entries,
              (std::vector<std::string>{"000000 - Anna", "000001 - Fehler!", "000002 - Cleo",
                                        "000004 - Fehler!", "000006 - Jo"}));
    EXPECT_TRUE(list.problems.empty());
}

TEST_F(SubjectFileTest, MissingLogFolderListsNothing) {
    fs::remove(LogDir());
    const SubjectList list = ListSubjects(dir_.path(), texts_);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_TRUE(list.problems.empty());
}

TEST_F(SubjectFileTest, UnreadableFileIsListedAndReported) {
    WriteBytes(File("p000000.csv"), kCreatedAnna);
    WriteBytes(File("p000001.csv"), kCreatedAnna);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(LogDir().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(File("p000000.csv").c_str(), 0), 0);
    ASSERT_EQ(::chmod(File("p000001.csv").c_str(), 0644), 0);
    const std::string unreadable = PathText("p000000.csv");
    const int result = RunAsOrdinaryUser([&] {
        const SubjectList list = ListSubjects(dir_.path(), texts_);
        const bool listed =
            list.entries == std::vector<std::string>{"000000 - Fehler!", "000001 - Anna M\xFCller"};
        const bool reported = list.problems.size() == 1 && list.problems[0].file == unreadable &&
                              list.problems[0].boxText == "Kann Datei nicht lesen";
        return (listed ? 0 : 1) | (reported ? 0 : 2);
    });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, 0) << "1: wrong entries, 2: not reported";
}

}  // namespace
}  // namespace quib::server
