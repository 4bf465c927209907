#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <chrono>
#include <memory>

#include "server/core/time_format.h"
#include "server/core/window/server_app.h"
#include "server/engine/listener.h"
#include "testing/scratch_directory.h"
#include "tests/server/core/window/run_main_loop.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/case_name.h"
#include "tests/support/qt_app.h"
#include "tests/support/standard_buttons.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;
using testing::ChooseSettingsAndSubjects;
using testing::RunMainLoopUntil;

const std::string kNoDialogSettings =
    "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_de.lang\r\n";

class ServerStartup : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    std::unique_ptr<ServerApp> MakeApp(std::uint16_t port = 0) {
        return std::make_unique<ServerApp>(ServerOptions{dir.path(), port}, dialogs, chooser);
    }

    // A lab's figure picture: without one, the window says at start that no
    // game can start, and that line stands in the log.
    void PutFigurePicture() {
        std::filesystem::create_directories(dir.path() / "grafik");
        QImage figure(8, 8, QImage::Format_ARGB32);
        figure.fill(Qt::blue);
        ASSERT_TRUE(
            figure.save(QString::fromStdString((dir.path() / "grafik" / "a0.png").string())));
    }

    // Subjects p000000.csv and p000001.csv, to be chosen for both seats.
    void PutTwoSubjects() {
        std::filesystem::create_directories(dir.path() / "log");
        for (const char* number : {"000000", "000001"}) {
            WriteBytes(dir.path() / "log" / (std::string("p") + number + ".csv"),
                       std::string("Spieler\r\nSpielernr.;") + number + "\r\nSpielername;S" +
                           number +
                           "\r\nKommentar;\r\nErstellt;09.12.26;10:00:00\r\n\r\n"
                           "Punkte;0;Rekord;0\r\nRunden;0;Spielzeit;0;00:00:00\r\n");
        }
    }

    std::string Text(int id, ServerApp& app) {
        return FromQtForTest(app.window()->Label(id)->text());
    }
    static std::string FromQtForTest(const QString& text) { return text.toStdString(); }

    ScratchDirectory dir;
    quib::server::testing::ScriptedDialogs dialogs;
    quib::server::testing::ScriptedChooser chooser;
};

TEST_F(ServerStartup, FirstStartInAnEmptyDirectoryOffersOnlyGermanAndWritesBothFiles) {
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    ASSERT_EQ(chooser.offered.size(), 1u);
    ASSERT_EQ(chooser.offered[0].size(), 1u);
    EXPECT_EQ(chooser.offered[0][0].displayName, "Deutsch");
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"), kNoDialogSettings);
    const std::string language = ReadBytes(dir.path() / "quib_server_de.lang");
    EXPECT_EQ(language.rfind("[Allgemein]\r\nLanguage = Deutsch\r\n[Text]\r\ntxt0 = ", 0), 0u);
    EXPECT_NE(language.find("\r\ntxt169 = K\r\n"), std::string::npos);
    for (const char* folder : {"grafik", "log", "log2"}) {
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() / folder)) << folder;
    }
    EXPECT_TRUE(app->window()->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ServerStartup, WindowOpensWhereTheCommandLineSays) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    ServerApp app(ServerOptions{dir.path(), 0, QPoint(0, 0)}, dialogs, chooser);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.window()->pos(), QPoint(0, 0));
}

TEST_F(ServerStartup, SecondStartShowsNoDialog) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    EXPECT_TRUE(chooser.offered.empty());
}

TEST_F(ServerStartup, TitleCreditsTheAuthorsInTheLanguageOfTheTexts) {
    WriteBytes(dir.path() / "quib_server.prefs",
               "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_en.lang\r\n");
    std::filesystem::copy_file(
        std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_server_en.lang",
        dir.path() / "quib_server_en.lang");
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    EXPECT_EQ(app->window()->windowTitle().toStdString().rfind(
                  "Tamoresk - Server - Programmed by the quib team - IP: ", 0),
              0u)
        << app->window()->windowTitle().toStdString();
}

// An English lab chooses English once: the second start asks nothing and is
// English again, up to the credits box at the end.
TEST_F(ServerStartup, LanguageChosenAtTheFirstStartIsKeptForTheSecond) {
    std::filesystem::copy_file(
        std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_server_en.lang",
        dir.path() / "quib_server_en.lang");
    chooser.answer = 1;  // "Deutsch", then "English"
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        auto app = MakeApp();
        ASSERT_TRUE(app->Start());
        EXPECT_EQ(app->window()->windowTitle().toStdString().rfind(
                      "Tamoresk - Server - Programmed by the quib team", 0),
                  0u);
        app->Shutdown();
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back(),
                  std::make_pair(std::string("credits:"),
                                 std::string("quib - a coordination game for two people who "
                                             "cannot talk to each other.\nProgrammed by the "
                                             "quib team.")));
    }
    EXPECT_EQ(chooser.offered.size(), 1u) << "the second start asked for the language again";
}

TEST_F(ServerStartup, TitleTakesItsTextFromTheLanguageFileAndListsTheAddresses) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    WriteBytes(dir.path() / "quib_server_de.lang", "[Text]\r\ntxt11 = Koordination - Server -\r\n");
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    std::string expected = "Koordination - Server - dem quib-Team - IP: ";
    const auto addresses = LocalIpv4Addresses();
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        expected += (i ? " , " : "") + addresses[i];
    }
    EXPECT_EQ(app->window()->windowTitle().toStdString(), expected);
    EXPECT_NE(expected.find("127.0.0.1"), std::string::npos);
}

TEST_F(ServerStartup, PlainFileNamedLogEndsStartUpWithTheFolderMessage) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    WriteBytes(dir.path() / "log", "not a folder");
    auto app = MakeApp();
    EXPECT_FALSE(app->Start());
    app.reset();  // the program ends
    ASSERT_EQ(dialogs.messages.size(), 1u) << "no credits box after a folder failure";
    EXPECT_EQ(dialogs.messages[0].first, "Fehler!");
    EXPECT_EQ(dialogs.messages[0].second,
              "Kann Verzeichniss nicht erstellen: " + dir.path().string() + "/log/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "grafik"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "log2"));
}

TEST_F(ServerStartup, PortAlreadyTakenShowsItsMessageAndTheCredits) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    Listener occupant;
    ASSERT_TRUE(occupant.Open(0));
    auto app = MakeApp(occupant.port());
    EXPECT_FALSE(app->Start());
    EXPECT_EQ(app->window(), nullptr) << "the window opened before the port was tried";
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(
        dialogs.messages[0],
        std::make_pair(std::string("Fehler!"),
                       std::string("Kann Server nicht initialisieren! (Ist der Port belegt?).")));
    EXPECT_EQ(dialogs.messages[1].first, "credits:");
    EXPECT_EQ(dialogs.messages[1].second,
              "quib - ein Koordinationsspiel f\xFCr zwei Personen, die nicht miteinander "
              "sprechen k\xF6nnen.\nProgrammiert von dem quib-Team.");
}

TEST_F(ServerStartup, ClosingWithoutAGameEndsWithoutAQuestionAndShowsTheCredits) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    app->window()->close();
    EXPECT_TRUE(app->quitConfirmed());
    EXPECT_TRUE(dialogs.questions.empty());
    app->Shutdown();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].first, "credits:");
    EXPECT_FALSE(app->window()->isVisible());
}

TEST_F(ServerStartup, ClosingDuringAGameAsksAndNoKeepsEverythingRunning) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    tools::TestClient player;
    ASSERT_TRUE(player.Connect(app->port()));
    {
        std::lock_guard guard(app->state().lock);
        app->state().gameState = Running;
    }
    dialogs.yesNoAnswers = {false};
    app->window()->close();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].first, "Achtung!");
    EXPECT_EQ(dialogs.questions[0].second, "Spiel l\xE4uft noch, soll wirklich beendet werden?");
    EXPECT_FALSE(app->quitConfirmed());
    const std::size_t before = player.FramesReceived();
    EXPECT_TRUE(player.WaitForFrames(before + 3, std::chrono::seconds(5)))
        << "the exchange goes on";

    dialogs.yesNoAnswers = {true};
    app->window()->close();
    EXPECT_TRUE(app->quitConfirmed());
    app->Shutdown();
    EXPECT_TRUE(player.WaitForClosedByServer(std::chrono::seconds(5)));
}

TEST_F(ServerStartup, SeatedPlayersAppearInTheirPanels) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    tools::TestClient first;
    tools::TestClient second;
    first.SetHostName("labor-07");
    second.SetHostName("labor-12");
    ASSERT_TRUE(first.Connect(app->port()));
    ASSERT_TRUE(first.WaitForFrames(2, std::chrono::seconds(5)));
    ASSERT_TRUE(second.Connect(app->port()));
    ASSERT_TRUE(RunMainLoopUntil(*app, [&] {
        return Text(4006, *app) == "Host: labor-12" && Text(6, *app) == "Host: labor-07";
    }));
    EXPECT_EQ(Text(5, *app), "Spieler 1 - IP: 127.0.0.1");
    EXPECT_EQ(Text(4005, *app), "Spieler 2 - IP: 127.0.0.1");

    second.Close();
    ASSERT_TRUE(RunMainLoopUntil(*app, [&] { return Text(4006, *app) == "Host: ?"; }));
    EXPECT_EQ(Text(4005, *app), "Spieler 2 - IP: ?");
}

// A program that never answers never sends its host name.
TEST_F(ServerStartup, AConnectingPlayerLeavesTheOtherSeatsLinesAndShowsHostUnknown) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    tools::TestClient silent;
    silent.SetAnswering(false);
    ASSERT_TRUE(silent.Connect(app->port()));
    ASSERT_TRUE(
        RunMainLoopUntil(*app, [&] { return Text(5, *app) == "Spieler 1 - IP: 127.0.0.1"; }));
    EXPECT_EQ(Text(6, *app), "Host: ?");
    EXPECT_EQ(Text(4005, *app), "Spieler 2 - IP: ?");
    EXPECT_EQ(Text(4006, *app), "Host: ?");
}

TEST_F(ServerStartup, LogLinesAppearNewestFirstAndTheViewKeepsFiftyLines) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    ASSERT_NO_FATAL_FAILURE(PutFigurePicture());
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    const LocalTime at{2026, 12, 9, 14, 3, 9};
    PostLogMessage(app->state(), "erste", at);
    PostLogMessage(app->state(), "zweite", at);
    app->Iterate();
    QPlainTextEdit* log = app->window()->Editor(9019);
    EXPECT_EQ(log->toPlainText().toStdString(), "Verlauf:\n14:03:09 | zweite\n14:03:09 | erste");
    for (int i = 0; i < 60; ++i) {
        PostLogMessage(app->state(), std::to_string(i), at);
        app->Iterate();
    }
    EXPECT_EQ(log->document()->blockCount(), 50);
    EXPECT_EQ(log->document()->firstBlock().text().toStdString(), "14:03:09 | 10")
        << "the heading and the oldest lines went first";
    EXPECT_EQ(log->document()->lastBlock().text().toStdString(), "14:03:09 | 59");
}

TEST_F(ServerStartup, WithoutAUsableFigurePictureTheWindowAndTheLogSayWhy) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    // Named like a figure, but no picture.
    std::filesystem::create_directories(dir.path() / "grafik");
    WriteBytes(dir.path() / "grafik" / "a0.png", "not a picture");
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    app->Iterate();
    const std::string why =
        "Keine verwendbaren Figurenbilder, das Spiel kann nicht starten. "
        "Figurenbilder sind PNG-Dateien (h\u00f6chstens 2048 Pixel je Seite, "
        "Name nicht auf 1 endend) im Ordner " +
        (dir.path() / "grafik").string() + "/";
    QLabel* warning = app->window()->Label(9020);
    EXPECT_FALSE(warning->isHidden());
    EXPECT_EQ(warning->text().toStdString(), why);
    EXPECT_TRUE(app->window()->Editor(9019)->toPlainText().endsWith(QString::fromStdString(why)));
}

TEST_F(ServerStartup, AFigurePictureLeavesTheWarningHidden) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    ASSERT_NO_FATAL_FAILURE(PutFigurePicture());
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    EXPECT_TRUE(app->window()->Label(9020)->isHidden());
}

TEST_F(ServerStartup, AbortAsksThenEndsTheGameAndLogsIt) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    ASSERT_NO_FATAL_FAILURE(PutFigurePicture());
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    {
        std::lock_guard guard(app->state().lock);
        app->state().gameState = Running;
        app->engine().game().seats[1].level = 3;
        app->engine().game().seats[1].displayMode = DisplayOpen;
    }
    app->window()->Button(9013)->setChecked(true);
    app->UpdateControls(false);
    EXPECT_TRUE(app->window()->Button(9014)->isEnabled());

    dialogs.yesNoAnswers = {false};
    app->window()->Button(9014)->click();
    EXPECT_EQ(app->state().gameState, Running);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].first, "Abbrechen?");
    EXPECT_EQ(dialogs.questions[0].second, "Soll diese Runde wirklich abgebrochen werden?");

    dialogs.yesNoAnswers = {true};
    app->window()->Button(9014)->click();
    app->Iterate();
    EXPECT_EQ(app->state().gameState, Idle);
    EXPECT_FALSE(app->window()->Button(9013)->isChecked());
    EXPECT_EQ(app->window()->Button(9013)->text(), "Spiel starten");
    EXPECT_FALSE(app->window()->Button(9014)->isEnabled());
    EXPECT_EQ(app->engine().game().seats[1].level, 0);
    EXPECT_EQ(app->engine().game().seats[1].displayMode, 0);
    EXPECT_EQ(app->engine().game().seats[0].statusText, "Bitte warten ...");
    EXPECT_TRUE(app->window()->Editor(9019)->toPlainText().endsWith("Spiel wurde abgebrochen!"));
}

TEST_F(ServerStartup, ScoreButtonsResetTheScoreLines) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    {
        std::lock_guard guard(app->state().lock);
        app->engine().game().statistics.currentSeries = 3;
        app->engine().game().statistics.bestSeries = 5;
        app->engine().game().statistics.totalRow = {3725000, 4, 9};
        app->state().refreshStatistics = 1;
    }
    app->Iterate();
    EXPECT_EQ(app->window()->StatisticsList()->item(3, 1)->text(), "01:02:05");
    EXPECT_EQ(app->window()->StatisticsList()->item(3, 3)->text(), "9");
    app->window()->Button(9016)->click();
    EXPECT_EQ(app->engine().game().seats[0].scoreText, "Punkte in Serie: 0 Highscore: 0");
    app->window()->Button(9017)->click();
    app->Iterate();
    EXPECT_EQ(app->window()->StatisticsList()->item(3, 1)->text(), "00:00:00");
    EXPECT_EQ(app->window()->StatisticsList()->item(3, 3)->text(), "0");
}

void WritePicture(const std::filesystem::path& file, QColor colour) {
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG"));
}

TEST_F(ServerStartup, FigureListsHoldThePicturesButNotTheirPartnerVariants) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    std::filesystem::create_directory(dir.path() / "grafik");
    for (const char* name : {"b10.png", "a2.png", "a1.png", "b11.png"}) {
        WritePicture(dir.path() / "grafik" / name, Qt::red);
    }
    WriteBytes(dir.path() / "grafik" / "c3.png", "not a picture");
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    QComboBox* first = app->window()->List(9008);
    QComboBox* second = app->window()->List(9009);
    ASSERT_EQ(first->count(), 4);
    ASSERT_EQ(second->count(), 5);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(first->itemText(i + 1), second->itemText(i + 2));
    }
    EXPECT_EQ(first->itemText(1), "a2.png");
    EXPECT_EQ(first->itemText(2), "b10.png");
    EXPECT_EQ(first->itemText(3), "c3.png") << "a picture that cannot be loaded is still listed";
    const QImage icon = first->itemIcon(1).pixmap(16, 16).toImage();
    EXPECT_EQ(icon.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(icon.pixelColor(8, 1).alpha(), 0) << "a 40 x 20 picture leaves rows free";
}

TEST_F(ServerStartup, StartToggleOpensOnceEverythingIsChosenAndStartsAGame) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    std::filesystem::create_directories(dir.path() / "grafik");
    WritePicture(dir.path() / "grafik" / "figur0.png", Qt::blue);
    PutTwoSubjects();
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    MainWindow& w = *app->window();
    QPushButton* toggle = w.Button(9013);
    ChooseSettingsAndSubjects(w);
    EXPECT_FALSE(toggle->isEnabled()) << "no player connected yet";

    tools::TestClient first;
    tools::TestClient second;
    ASSERT_TRUE(first.Connect(app->port()));
    ASSERT_TRUE(second.Connect(app->port()));
    ASSERT_TRUE(RunMainLoopUntil(*app, [&] { return toggle->isEnabled(); }));

    toggle->click();
    // The network thread sets the round up at once and waits for the players.
    ASSERT_TRUE(RunMainLoopUntil(*app, [&] {
        std::lock_guard guard(app->state().lock);
        return app->state().gameState == WaitStart;
    }));
    EXPECT_TRUE(RunMainLoopUntil(*app, [&] {
        return w.Editor(9019)->toPlainText().endsWith("Spiel initialisiert ... warte auf Spieler.");
    }));
    EXPECT_EQ(toggle->text(), "Spiel nach Runde beenden");
    EXPECT_TRUE(app->state().settings.startToggleDown);
    EXPECT_EQ(app->state().settings.level, 1);
    EXPECT_EQ(app->state().settings.figureText[0], "figur0.png");
    for (int id : {8, 4008, 9002, 9004, 9006, 9008, 9009, 9011, 9012}) {
        EXPECT_FALSE(w.Control(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(w.Button(9014)->isEnabled());

    toggle->click();  // released during the game: ends after the round
    EXPECT_EQ(toggle->text(), "Spiel nach Runde fortsetzen");
    EXPECT_FALSE(w.Control(9002)->isEnabled());
}

// The wire carries picture names of up to 100 bytes. A picture whose name
// is longer is listed in both figure lists with the reason in its tool tip,
// but cannot be chosen: the opened list and the keyboard pass over it, and
// set by the program it keeps the start button closed. A name of exactly
// 100 bytes is an ordinary entry.
TEST_F(ServerStartup, AFigureWhoseNameTheWireCannotCarryCannotBeChosen) {
    WriteBytes(dir.path() / "quib_server.prefs", kNoDialogSettings);
    std::filesystem::create_directories(dir.path() / "grafik");
    const std::string tooLong = std::string(96, 'b') + "0.png";  // 101 bytes
    const std::string longest = std::string(95, 'c') + "0.png";  // 100 bytes
    for (const std::string& name : {std::string("a0.png"), tooLong, longest}) {
        WritePicture(dir.path() / "grafik" / name, Qt::blue);
    }
    PutTwoSubjects();
    auto app = MakeApp();
    ASSERT_TRUE(app->Start());
    MainWindow& w = *app->window();
    EXPECT_TRUE(w.Label(9020)->isHidden()) << "usable pictures exist";
    for (int id : {9008, 9009}) {
        SCOPED_TRACE(id);
        QComboBox* list = w.List(id);
        const int unusable = list->findText(QString::fromStdString(tooLong));
        const int usable = list->findText(QString::fromStdString(longest));
        ASSERT_GE(unusable, 0);
        ASSERT_EQ(usable, unusable + 1);
        const auto enabled = [list](int row) {
            return (list->model()->flags(list->model()->index(row, 0)) & Qt::ItemIsEnabled) != 0;
        };
        EXPECT_FALSE(enabled(unusable));
        EXPECT_TRUE(enabled(usable));
        EXPECT_TRUE(enabled(unusable - 1));
        EXPECT_TRUE(list->itemData(unusable, Qt::ToolTipRole)
                        .toString()
                        .contains("Dateiname l\u00e4nger als 100 Bytes"));
        list->setCurrentIndex(unusable - 1);
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->currentIndex(), usable);
    }

    QPushButton* toggle = w.Button(9013);
    ChooseSettingsAndSubjects(w);
    tools::TestClient first;
    tools::TestClient second;
    ASSERT_TRUE(first.Connect(app->port()));
    ASSERT_TRUE(second.Connect(app->port()));
    ASSERT_TRUE(RunMainLoopUntil(*app, [&] { return toggle->isEnabled(); }));
    QComboBox* figure = w.List(9008);
    figure->setCurrentIndex(figure->findText(QString::fromStdString(tooLong)));
    EXPECT_FALSE(toggle->isEnabled());
    figure->setCurrentIndex(figure->findText(QString::fromStdString(longest)));
    EXPECT_TRUE(toggle->isEnabled());
}

class ServerButtonLanguage
    : public ServerStartup,
      public ::testing::WithParamInterface<quib::testing::ButtonLanguageCase> {};

TEST_P(ServerButtonLanguage, StandardButtonsSpeakTheLanguageOfTheTexts) {
    const std::string file = std::string("quib_server_") + GetParam().code + ".lang";
    WriteBytes(dir.path() / "quib_server.prefs",
               "[Sonstiges]\r\naskOptions = 0\r\nLanguage = " + file + "\r\n");
    if (std::string(GetParam().code) != "de") {  // German is written by the program
        std::filesystem::copy_file(
            std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_server_en.lang",
            dir.path() / file);
    }
    const quib::testing::StandardButtonTexts before = quib::testing::CurrentStandardButtonTexts();
    {
        auto app = MakeApp();
        ASSERT_TRUE(app->Start());
        EXPECT_EQ(quib::testing::CurrentStandardButtonTexts(), GetParam().buttons);
    }
    EXPECT_EQ(quib::testing::CurrentStandardButtonTexts().yes, before.yes)
        << "the translation goes with the program";
}

INSTANTIATE_TEST_SUITE_P(Languages, ServerButtonLanguage,
                         ::testing::ValuesIn(quib::testing::kButtonLanguageCases),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
