#include "server/records/subject_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "server/records/csv_text.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

// A subject file as the program writes it, after two games.
const std::string kPlayed =
    "Spieler\n"
    "Spielernr.;000003\n"
    "Spielername;Bea\n"
    "Kommentar;\n"
    "Erstellt;08.12.14;13:05:09\n"
    "\n"
    "Punkte;3;Rekord;2\n"
    "Runden;5;Spielzeit;5000;00:00:05\n"
    "\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n"
    "g000000.csv;08.12.14 13:06:00;p000001.csv;2;2;3;3000;00:00:03;1;1\n"
    "g000001.csv;08.12.14 13:09:00;p000001.csv;1;1;2;2000;00:00:02;1;0\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string result;
    for (const char c : text) {
        result += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return result;
}

struct LayoutCase {
    const char* name;
    std::string text;
    bool english = false;  // English texts loaded instead of the German ones
    // Expected lines (from 0): number, name, comment, points, rounds, rows.
    std::vector<std::size_t> expected;  // empty: no layout
};

ServerTexts EnglishTexts() {
    ServerTexts texts;
    texts.Set(txt::kSubjectNumberField, "Subject no.");
    texts.Set(txt::kSubjectNameField, "Subject name");
    texts.Set(txt::kSubjectCommentField, "Comment");
    texts.Set(txt::kFilePoints, "Points");
    texts.Set(txt::kSubjectRoundsField, "Rounds");
    texts.Set(txt::kSubjectPlayTimeField, "Playing time");
    return texts;
}

std::string English(std::string text) {
    text = Replaced(text, "Spielernr.;", "Subject no.;");
    text = Replaced(text, "Spielername;", "Subject name;");
    text = Replaced(text, "Kommentar;", "Comment;");
    text = Replaced(text, "Punkte;3;", "Points;3;");
    return Replaced(text, "Runden;5;Spielzeit", "Rounds;5;Playing time");
}

class SubjectLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SubjectLayoutTest, FindsTheProgramsLinesByTheirLabels) {
    const LayoutCase& c = GetParam();
    const std::vector<std::string_view> lines = SplitLines(c.text);
    const std::optional<SubjectLayout> layout =
        FindSubjectLayout(lines, c.english ? EnglishTexts() : ServerTexts());
    if (c.expected.empty()) {
        EXPECT_FALSE(layout.has_value());
        return;
    }
    ASSERT_TRUE(layout.has_value());
    std::vector<std::size_t> found = {layout->numberLine, layout->nameLine, layout->commentLine,
                                      layout->pointsLine, layout->roundsLine};
    found.insert(found.end(), layout->gameRows.begin(), layout->gameRows.end());
    EXPECT_EQ(found, c.expected);
}

const std::string kNote = "Notiz: Sitzung 2 abgebrochen; g000000.csv wiederholen\n";

INSTANTIATE_TEST_SUITE_P(
    Files, SubjectLayoutTest,
    ::testing::Values(
        LayoutCase{"AsWritten", kPlayed, false, {1, 2, 3, 6, 7, 10, 11}},
        LayoutCase{"WithCrLf", WithCrLf(kPlayed), false, {1, 2, 3, 6, 7, 10, 11}},
        LayoutCase{"NoteInsertedAboveTheTotals",
                   Replaced(kPlayed, "\nPunkte;", "\n" + kNote + "Punkte;"),
                   false,
                   {1, 2, 3, 7, 8, 11, 12}},
        LayoutCase{"BlanksAndSpacesAroundLabels",
                   "\n\n" + Replaced(kPlayed, "Runden;5", "  Runden ;5"),
                   false,
                   {3, 4, 5, 8, 9, 12, 13}},
        LayoutCase{"NoteBetweenTheRows",
                   Replaced(kPlayed, "\ng000001", "\n" + kNote + "g000001"),
                   false,
                   {1, 2, 3, 6, 7, 10, 12}},
        LayoutCase{"EnglishFileWithEnglishTexts", English(kPlayed), true, {1, 2, 3, 6, 7, 10, 11}},
        LayoutCase{"GermanFileWithEnglishTexts", kPlayed, true, {1, 2, 3, 6, 7, 10, 11}},
        LayoutCase{
            "EnglishFileWithGermanTextsInPlace", English(kPlayed), false, {1, 2, 3, 6, 7, 10, 11}},
        LayoutCase{"EnglishFileWithGermanTextsAndANote",
                   Replaced(English(kPlayed), "\nPoints;", "\n" + kNote + "Points;"),
                   false,
                   {}},
        LayoutCase{"PointsLineMissing", Replaced(kPlayed, "Punkte;3;Rekord;2\n", ""), false, {}},
        LayoutCase{
            "PointsLineWithoutTheWordRekord", Replaced(kPlayed, "Rekord", "Record"), false, {}},
        LayoutCase{"TotalsTwice",
                   Replaced(kPlayed, "\nSpieldatei", "\nPunkte;1;Rekord;1\nSpieldatei"),
                   false,
                   {}},
        LayoutCase{"TotalsAboveTheName",
                   "Spieler\nPunkte;3;Rekord;2\nRunden;5;Spielzeit;5000;00:00:05\n"
                   "Spielernr.;000003\nSpielername;Bea\nKommentar;\n",
                   false,
                   {}},
        LayoutCase{"Empty", "", false, {}},
        LayoutCase{"NotASubjectFile", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false, {}}),
    quib::testing::CaseName());

struct CreatedLinesCase {
    const char* name;
    std::string text;
    // Expected title, creation and column title lines; -1: none found.
    std::array<int, 3> expected;
};

class CreatedLinesTest : public ::testing::TestWithParam<CreatedLinesCase> {};

// The lines a file is created with besides the labelled ones are the
// program's too (they are rewritten with LF), wherever inserted lines put
// them; a line that only resembles one of them elsewhere is a note.
TEST_P(CreatedLinesTest, AreFoundBetweenTheLabelledLines) {
    const std::vector<std::string_view> lines = SplitLines(GetParam().text);
    const std::optional<SubjectLayout> layout = FindSubjectLayout(lines, ServerTexts());
    ASSERT_TRUE(layout.has_value());
    const auto index = [](std::optional<std::size_t> line) {
        return line ? static_cast<int>(*line) : -1;
    };
    EXPECT_EQ((std::array<int, 3>{index(layout->titleLine), index(layout->createdLine),
                                  index(layout->columnTitleLine)}),
              GetParam().expected);
}

std::string OwnLabels(std::string text) {
    text = Replaced(English(text), "Spieler\n", "Subject\n");
    text = Replaced(text, "Erstellt;", "Created;");
    return Replaced(text, "Spieldatei;", "Game file;");
}

INSTANTIATE_TEST_SUITE_P(
    Files, CreatedLinesTest,
    ::testing::Values(
        CreatedLinesCase{"AsWritten", kPlayed, {0, 4, 9}},
        CreatedLinesCase{"NotesAroundThem",
                         "Spieler;alte Nummer 17\n" +
                             Replaced(Replaced(kPlayed, "\nErstellt", "\n" + kNote + "Erstellt"),
                                      "\nSpieldatei", "\n" + kNote + "Spieldatei"),
                         {1, 6, 12}},
        CreatedLinesCase{"LookAlikesInTheWrongPlace",
                         Replaced(Replaced(kPlayed, "Spieler\n", "Erstellt;gestern\n"),
                                  "Spielername;Bea\n", "Spielername;Bea\nSpieldatei;alt\n"),
                         {-1, 5, 10}},
        CreatedLinesCase{"FileLabelsInPlace", OwnLabels(kPlayed), {0, 4, 9}}),
    quib::testing::CaseName());

TEST(ProgramLines, AreAllButTheNotes) {
    const std::string text =
        Replaced(kPlayed, "\nPunkte", "\n   \n" + kNote + "Punkte") + ";;;;\r\n" + kNote;
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::optional<SubjectLayout> layout = FindSubjectLayout(lines, ServerTexts());
    ASSERT_TRUE(layout.has_value());
    std::vector<bool> expected(lines.size(), true);
    expected[7] = false;                 // the note above the totals
    expected[lines.size() - 2] = false;  // the empty cells a spreadsheet left
    expected[lines.size() - 1] = false;  // the note at the end
    EXPECT_EQ(ProgramLines(*layout, lines), expected);
}

TEST(GameFileName, IsAGPlusSixDigitsAndCsv) {
    EXPECT_TRUE(IsGameFileName("g000042.csv"));
    for (const char* other : {"g00042.csv", "g0000042.csv", "r000042.csv", "g00004a.csv",
                              "g000042.CSV", "g000042.csv ", ""}) {
        EXPECT_FALSE(IsGameFileName(other)) << other;
    }
}

}  // namespace
}  // namespace quib::server
