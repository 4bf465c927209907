// Text from outside reaches the experimenter's window from players' host
// names, language files and subject files; none of it may be read as markup.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QLabel>

#include <memory>
#include <ostream>
#include <string>

#include "server/core/window/language_dialog.h"
#include "server/core/window/message_boxes.h"
#include "server/core/window/server_app.h"
#include "testing/scratch_directory.h"
#include "tests/server/core/window/run_main_loop.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/case_name.h"
#include "tests/support/markup_scan.h"
#include "tests/support/modal_look.h"
#include "tests/support/qt_app.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using quib::testing::WidgetsReadingMarkup;
using quib::testing::WriteBytes;
using testing::ChooseSettingsAndSubjects;
using ::testing::Contains;
using ::testing::IsEmpty;
using testing::RunMainLoopUntil;

// Markup that would show a picture instead of the text. The picture does
// not exist: should a widget read it as markup after all, the test fails
// without loading anything.
const std::string kMarkup = "<b>x</b><img src=\"missing.png\">";

class ServerPlainTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        WriteBytes(dir.path() / "quib_server.prefs", "[Sonstiges]\r\naskOptions = 0\r\n");
        // The score line every player is sent, and the server mirrors.
        WriteBytes(dir.path() / "quib_server_de.lang", "[Text]\r\ntxt16 = " + kMarkup + "\r\n");
        std::filesystem::create_directories(dir.path() / "grafik");
        QImage figure(40, 40, QImage::Format_ARGB32);
        figure.fill(Qt::blue);
        ASSERT_TRUE(figure.save(QString::fromStdString((dir.path() / "grafik/f0.png").string())));
        std::filesystem::create_directories(dir.path() / "log");
        for (const char* number : {"000000", "000001"}) {
            WriteBytes(dir.path() / "log" / (std::string("p") + number + ".csv"),
                       std::string("Spieler\r\nSpielernr.;") + number + "\r\nSpielername;" +
                           kMarkup + number + "\r\nKommentar;" + kMarkup +
                           "\r\nPunkte;0;Rekord;0\r\nRunden;0;Spielzeit;0;00:00:00\r\n");
        }
    }

    std::string Text(int id) { return app->window()->Label(id)->text().toStdString(); }

    // Everything chosen, both subjects taken, the game started.
    void SetUpGame() {
        MainWindow& w = *app->window();
        ChooseSettingsAndSubjects(w);
        ASSERT_TRUE(RunMainLoopUntil(*app, [&] { return w.Button(9013)->isEnabled(); }));
        w.Button(9013)->click();
        ASSERT_TRUE(RunMainLoopUntil(*app, [&] {
            std::lock_guard guard(app->state().lock);
            return app->state().gameState == WaitStart;
        }));
    }

    quib::testing::ScratchDirectory dir;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedChooser chooser;
    std::unique_ptr<ServerApp> app =
        std::make_unique<ServerApp>(ServerOptions{dir.path(), 0}, dialogs, chooser);
};

TEST_F(ServerPlainTextTest, HostNamesAndTextsShowAsTheyCameAndNoWidgetReadsMarkup) {
    ASSERT_TRUE(app->Start());
    LanguageDialog languages({{kMarkup, "x.lang"}});
    EXPECT_THAT(WidgetsReadingMarkup(), IsEmpty()) << "after start-up";

    tools::TestClient first;
    tools::TestClient second;
    first.SetHostName(kMarkup);
    second.SetHostName("lab\r\n<b>07</b>\t");
    ASSERT_TRUE(first.Connect(app->port()));
    ASSERT_TRUE(first.WaitForFrames(2, std::chrono::seconds(5)));
    ASSERT_TRUE(second.Connect(app->port()));
    ASSERT_NO_FATAL_FAILURE(SetUpGame());
    ASSERT_TRUE(RunMainLoopUntil(*app,
                                 [&] {
                                     return Text(6) == "Host: " + kMarkup &&
                                            Text(4006) == "Host: lab  <b>07</b> " &&
                                            Text(4003) == " " + kMarkup + ": 0 Highscore: 0";
                                 }))
        << Text(6) << " | " << Text(4006) << " | " << Text(4003);
    EXPECT_THAT(WidgetsReadingMarkup(), IsEmpty()) << "after a game set-up";
}

struct BoxCase {
    const char* name;
    // Opens the box with kMarkup as its title and its text.
    void (*open)(Dialogs& boxes);
};
void PrintTo(const BoxCase& box, std::ostream* out) {
    *out << box.name;
}

class ServerBoxTest : public ::testing::TestWithParam<BoxCase> {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }
};

TEST_P(ServerBoxTest, ShowsItsTextAsItCame) {
    QtDialogs boxes;
    const quib::testing::ModalLook look =
        quib::testing::LookAtModal([&] { GetParam().open(boxes); });
    ASSERT_TRUE(look.seen);
    EXPECT_THAT(look.labelTexts, Contains(QString::fromStdString(kMarkup)));
    EXPECT_THAT(look.readingMarkup, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ServerBoxTest,
    ::testing::Values(
        BoxCase{"Message", [](Dialogs& boxes) { boxes.ShowMessage(kMarkup, kMarkup); }},
        BoxCase{"Question", [](Dialogs& boxes) { boxes.AskYesNo(kMarkup, kMarkup); }},
        BoxCase{"TextInput", [](Dialogs& boxes) { boxes.AskText(kMarkup, kMarkup, ""); }}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
