#include "server/core/window/subject_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// A subject file as the program writes it, with a comment field.
std::string SubjectFileText(const std::string& number, const std::string& name) {
    return "Spieler\r\nSpielernr.;" + number + "\r\nSpielername;" + name +
           "\r\nKommentar;\r\nErstellt;08.12.26;13:05:09\r\n\r\nPunkte;12;Rekord;5\r\n"
           "Runden;40;Spielzeit;3725000;01:02:05\r\n\r\n"
           "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n";
}

class SubjectPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        std::filesystem::create_directory(dir.path() / "log");
        state.commentPlaceholder = texts[txt::kCommentPlaceholder];
    }

    // Builds the window and the panel over the subject files present now.
    void Open() {
        panel.reset();
        window = std::make_unique<MainWindow>(texts);
        panel = std::make_unique<SubjectPanel>(*window, state, texts, dialogs, dir.path());
        panel->FillSelectors();
    }

    void Choose(int seat, int entry) {
        window->List(control::Seat(seat, control::kSubjectSelector))->setCurrentIndex(entry);
        panel->OnSelectorChosen(seat);
    }

    std::string LabelText(int id) const { return window->Label(id)->text().toStdString(); }
    QComboBox* Selector(int seat) const {
        return window->List(control::Seat(seat, control::kSubjectSelector));
    }

    ScratchDirectory dir;
    const ServerTexts texts;
    ServerState state;
    quib::server::testing::ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SubjectPanel> panel;
};

TEST_F(SubjectPanelTest, CreatingASubjectTakesTheFirstFreeNumberAndSelectsIt) {
    WriteBytes(dir.path() / "log" / "p000000.csv", SubjectFileText("000000", "Anna"));
    WriteBytes(dir.path() / "log" / "p000002.csv", SubjectFileText("000002", "Ben"));
    Open();
    ASSERT_EQ(Selector(1)->count(), 4);
    dialogs.textAnswers = {std::string("  Carla ")};
    Choose(0, 1);
    ASSERT_EQ(dialogs.inputTitles.size(), 1u);
    EXPECT_EQ(dialogs.inputTitles[0], "Neuen Probanten anlegen: (000001)");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "log" / "p000001.csv"));
    EXPECT_EQ(Selector(0)->currentText().toStdString(), "000001 - Carla");
    EXPECT_EQ(Selector(1)->itemText(4).toStdString(), "000001 - Carla");
    EXPECT_EQ(state.subjects[0].subjectNumber, 1);
    EXPECT_EQ(LabelText(9), "Punkte: 0 Gesamt, 0 Rekord");
}

TEST_F(SubjectPanelTest, ANameOfSpacesOnlyCreatesNothing) {
    Open();
    dialogs.textAnswers = {std::string("   ")};
    Choose(1, 1);
    EXPECT_EQ(Selector(1)->currentIndex(), 0);
    EXPECT_EQ(Selector(1)->count(), 2);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "log"));
    EXPECT_EQ(state.subjects[1].subjectNumber, -1);
}

TEST_F(SubjectPanelTest, ChosenSubjectShowsItsTotalsAndTheSameSubjectTwiceWarns) {
    WriteBytes(dir.path() / "log" / "p000004.csv", SubjectFileText("000004", "Dora"));
    Open();
    Choose(0, 2);
    EXPECT_EQ(LabelText(9), "Punkte: 12 Gesamt, 5 Rekord");
    EXPECT_EQ(LabelText(10), "Gesamtspielzeit: 1 Std. 02 Min.");
    EXPECT_EQ(LabelText(11), "??? Runden gegen akt. Mitspieler");
    Choose(1, 2);
    for (int seat = 0; seat < 2; ++seat) {
        EXPECT_EQ(LabelText(control::Seat(seat, 11)), "> Es wurde zweimal der");
        EXPECT_EQ(LabelText(control::Seat(seat, 12)), "selbe Spieler ausgew\xC3\xA4hlt!");
    }
    Choose(1, 0);
    EXPECT_EQ(LabelText(4009), "Punkte: ???? Gesamt, ?? Rekord");
    EXPECT_EQ(LabelText(11), "??? Runden gegen akt. Mitspieler");
}

TEST_F(SubjectPanelTest, ShortSubjectFileIsListedAsFehler) {
    WriteBytes(dir.path() / "log" / "p000007.csv", "Spieler\r\nSpielernr.;000007\r\n");
    Open();
    EXPECT_EQ(Selector(0)->itemText(2).toStdString(), "000007 - Fehler!");
}

const std::string kLayoutUnknown = "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert: ";

// A subject file whose lines cannot be found: the totals line is gone.
std::string WithoutTotals(const std::string& number, const std::string& name) {
    std::string text = SubjectFileText(number, name);
    const std::size_t points = text.find("Punkte;12");
    return text.erase(points, text.find('\n', points) + 1 - points);
}

// The log lines posted, without their time stamps.
std::vector<std::string> LogTexts(ServerState& state) {
    std::vector<std::string> texts;
    for (const std::string& line : state.logQueue.TakeNewestFirst()) {
        texts.push_back(line.substr(line.find(" | ") + 3));
    }
    return texts;
}

// Such a file is listed as "Fehler!", reported when chosen, and the seat
// stays empty as for a file that cannot be read; nothing is written to it.
TEST_F(SubjectPanelTest, FileWhoseLinesCannotBeFoundIsReportedAndNotTaken) {
    const std::string bytes = WithoutTotals("000008", "Hans");
    WriteBytes(dir.path() / "log" / "p000008.csv", bytes);
    Open();
    EXPECT_EQ(Selector(0)->itemText(2).toStdString(), "000008 - Fehler!");
    Choose(0, 2);

    const std::string report = kLayoutUnknown + dir.path().string() + "/log/p000008.csv";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], std::make_pair(std::string("Fehler!"), report));
    EXPECT_EQ(LogTexts(state), std::vector<std::string>{report});
    EXPECT_EQ(Selector(0)->currentIndex(), 0);
    EXPECT_EQ(state.subjects[0].subjectNumber, -1);
    EXPECT_EQ(state.subjects[0].subjectFile, "");
    EXPECT_EQ(LabelText(9), "Punkte: ???? Gesamt, ?? Rekord");
    EXPECT_EQ(ReadBytes(dir.path() / "log" / "p000008.csv"), bytes);
}

// The file lost its totals line in an editor while the subject was chosen:
// the comment is not written anywhere in it, and the experimenter is told.
TEST_F(SubjectPanelTest, CommentIsNotSavedIntoAFileWhoseLinesCannotBeFound) {
    WriteBytes(dir.path() / "log" / "p000009.csv", SubjectFileText("000009", "Ida"));
    Open();
    Choose(1, 2);
    const std::string bytes = WithoutTotals("000009", "Ida");
    WriteBytes(dir.path() / "log" / "p000009.csv", bytes);
    window->Editor(4013)->setPlainText("wichtig");
    panel->SaveComment(1);

    const std::string report = kLayoutUnknown + dir.path().string() + "/log/p000009.csv";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], std::make_pair(std::string("Fehler!"), report));
    EXPECT_EQ(LogTexts(state), std::vector<std::string>{report});
    EXPECT_EQ(ReadBytes(dir.path() / "log" / "p000009.csv"), bytes);
    EXPECT_EQ(window->Editor(4013)->toPlainText().toStdString(), "wichtig");
}

TEST_F(SubjectPanelTest, CommentIsSavedOnOneLineAndReadBackAfterARestart) {
    WriteBytes(dir.path() / "log" / "p000003.csv", SubjectFileText("000003", "Emil"));
    Open();
    Choose(0, 2);
    QPlainTextEdit* editor = window->Editor(13);
    EXPECT_EQ(editor->toPlainText().toStdString(),
              "Hier kann man einen Kommentar \xC3\xBC"
              "ber den Probanten hinterlassen.");
    editor->setPlainText("erste Zeile\nzweite; Zeile");
    panel->SaveComment(0);
    const std::string file = ReadBytes(dir.path() / "log" / "p000003.csv");
    EXPECT_NE(file.find("\nKommentar;erste Zeile\\nzweite\\, Zeile\n"), std::string::npos) << file;
    EXPECT_EQ(file.find('\r'), std::string::npos) << "the file is rewritten with LF lines";

    Open();  // as after a restart
    Choose(0, 2);
    EXPECT_EQ(window->Editor(13)->toPlainText().toStdString(), "erste Zeile\nzweite; Zeile");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SubjectPanelTest, CommentThatCannotBeSavedIsReported) {
    WriteBytes(dir.path() / "log" / "p000005.csv", SubjectFileText("000005", "Fritz"));
    Open();
    Choose(1, 2);
    std::filesystem::remove(dir.path() / "log" / "p000005.csv");
    std::filesystem::create_directory(dir.path() / "log" / "p000005.csv");
    window->Editor(4013)->setPlainText("wichtig");
    panel->SaveComment(1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].first, "Fehler!");
    EXPECT_NE(dialogs.messages[0].second.find(dir.path().string() + "/log/p000005.csv"),
              std::string::npos)
        << dialogs.messages[0].second;
    EXPECT_EQ(window->Editor(4013)->toPlainText().toStdString(), "wichtig")
        << "the text stays in the editor";
}

}  // namespace
}  // namespace quib::server
