// The window's own pacing, against a clock the test moves by hand: the
// mirrors are shown at most every 40 ms, and the live round time counts from
// the round's set-up.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>

#include "server/core/window/server_app.h"
#include "testing/scratch_directory.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

QImage Filled(int side, Qt::GlobalColor colour) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class WindowPacing : public ::testing::Test {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        WriteBytes(dir.path() / "quib_server.prefs",
                   "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_de.lang\r\n");
        ServerOptions options{dir.path(), 0};
        options.clock = [this] { return now; };
        app = std::make_unique<ServerApp>(options, dialogs, chooser);
        ASSERT_TRUE(app->Start());
    }

    // What the network thread's mirror does when a frame presents.
    void Present(Qt::GlobalColor colour) {
        std::lock_guard guard(app->state().lock);
        app->engine().mirrors().Mirror(0).onPresent(Filled(480, colour), Filled(170, colour));
    }

    QColor ShownBoard() const {
        return app->window()->Picture(control::Seat(0, control::kBoard))->image().pixelColor(5, 5);
    }

    ScratchDirectory dir;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedChooser chooser;
    std::unique_ptr<ServerApp> app;
    std::uint32_t now = 100000;
};

TEST_F(WindowPacing, MirrorsAreShownAtMostEvery40Ms) {
    Present(Qt::red);
    app->Iterate();
    EXPECT_EQ(ShownBoard(), QColor(Qt::red)) << "the first change is shown at once";

    now += 10;
    Present(Qt::green);
    app->Iterate();
    EXPECT_EQ(ShownBoard(), QColor(Qt::red)) << "10 ms later the change waits";
    {
        std::lock_guard guard(app->state().lock);
        EXPECT_EQ(app->state().boardRefreshTimed, 1) << "and the window's timer brings it";
        EXPECT_EQ(app->state().refreshBoard[0], 1);
    }

    now += 29;
    app->Iterate();
    EXPECT_EQ(ShownBoard(), QColor(Qt::red)) << "39 ms after the last showing";

    now += 1;
    app->Iterate();
    EXPECT_EQ(ShownBoard(), QColor(Qt::green)) << "40 ms after the last showing";
}

TEST_F(WindowPacing, LiveRoundTimeCountsFromTheRoundsSetUp) {
    QTableWidgetItem* liveTime = app->window()->StatisticsList()->item(1, 1);
    {
        std::lock_guard guard(app->state().lock);
        app->engine().game().roundStartMs = now - 65000;
        app->state().gameState = Running;
        app->state().lastSecond = -1;  // the time is shown once per wall-clock second
    }
    app->Iterate();
    EXPECT_EQ(liveTime->text(), "00:01:05");

    {
        std::lock_guard guard(app->state().lock);
        app->state().gameState = Idle;
        app->state().lastSecond = -1;
    }
    now += 5000;
    app->Iterate();
    EXPECT_EQ(liveTime->text(), "00:01:05") << "no round runs: the time stands";
}

}  // namespace
}  // namespace quib::server
