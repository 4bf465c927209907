// The window's own pacing, against a clock the test moves by hand: the
// mirrors of both seats are shown together, at most every 40 ms, and the live round time counts
// from the round's set-up.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <span>

#include "protocol/frame.h"
#include "protocol/messages.h"
#include "server/core/window/server_app.h"
#include "testing/scratch_directory.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

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

    // A frame that paints both views of a seat in one colour and presents
    // them, drawn on the seat's mirror as the network thread does.
    void Present(Qt::GlobalColor colour, int seat = 0) {
        const QColor rgb(colour);
        const auto wire =
            static_cast<protocol::Colour>(rgb.red() | rgb.green() << 8 | rgb.blue() << 16);
        auto frame = std::make_unique<protocol::SendBuffer>();
        frame->StartFrame();
        for (const std::int8_t view : {protocol::kOwnViewSlot, protocol::kPartnerViewSlot}) {
            protocol::Append(*frame, protocol::BeginDrawing{view});
            protocol::Append(*frame, protocol::Box{0.0f, 0.0f, 1.0f, 1.0f, wire});
        }
        protocol::Append(*frame, protocol::Present{});
        std::lock_guard guard(app->state().lock);
        SeatMirror& mirror = app->engine().mirrors().Mirror(seat);
        ASSERT_TRUE(protocol::ExecuteFrame(
            frame->FinishFrame(), [&mirror](std::uint8_t type, std::span<const std::uint8_t> body) {
                return mirror.Execute(type, body);
            }));
    }

    QColor ShownBoard(int seat = 0) const {
        return app->window()
            ->Picture(control::Seat(seat, control::kBoard))
            ->image()
            .pixelColor(5, 5);
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

TEST_F(WindowPacing, BothSeatsAreShownAtTheSameMoments) {
    Present(Qt::red, 0);
    app->Iterate();
    ASSERT_EQ(ShownBoard(0), QColor(Qt::red));

    now += 10;
    Present(Qt::blue, 1);
    app->Iterate();
    EXPECT_EQ(ShownBoard(1), QColor(Qt::black))
        << "a change of the other seat waits for the next showing too";

    now += 30;
    Present(Qt::green, 0);
    app->Iterate();
    EXPECT_EQ(ShownBoard(0), QColor(Qt::green));
    EXPECT_EQ(ShownBoard(1), QColor(Qt::blue)) << "both seats shown in one go";
    std::lock_guard guard(app->state().lock);
    EXPECT_EQ(app->state().refreshBoard[0], 0);
    EXPECT_EQ(app->state().refreshBoard[1], 0);
}

// Figures moving change the mirrors with every frame: after a showing the
// window's timer looks again when the next one is due, so the network
// thread need not wake the window for every change in between.
TEST_F(WindowPacing, AfterAShowingTheNextChangeNeedsNoWakeUp) {
    Present(Qt::red);
    app->Iterate();
    ASSERT_EQ(ShownBoard(), QColor(Qt::red));

    now += 5;
    Present(Qt::green);
    std::lock_guard guard(app->state().lock);
    EXPECT_FALSE(HasMainThreadWork(app->state()));
}

// The connection strips change with every exchange. While the mirrors are
// shown at their pace, the strips wait for the next showing (one repaint
// for both); with the mirrors at rest they are shown at once.
TEST_F(WindowPacing, StripsGoAlongWithTheMirrorsWhileTheseMove) {
    const auto markStrip = [this](Colour colour) {
        std::lock_guard guard(app->state().lock);
        app->engine().links().graphs[0].AddColumn(ConnectionGraph::kHeight, colour);
        app->state().refreshStrips = 1;
    };
    const auto shownStripColumn = [this] {
        return app->window()
            ->Picture(control::Seat(0, control::kStrip))
            ->image()
            .pixelColor(ConnectionGraph::kWidth - 1, ConnectionGraph::kHeight - 1);
    };
    markStrip(Rgb(0, 255, 0));
    app->Iterate();
    ASSERT_EQ(shownStripColumn(), QColor(Qt::green)) << "no mirror showing due: at once";

    Present(Qt::red);
    app->Iterate();
    now += 10;
    markStrip(Rgb(255, 255, 0));
    app->Iterate();
    EXPECT_EQ(shownStripColumn(), QColor(Qt::green)) << "10 ms after a showing the strip waits";

    now += 30;
    Present(Qt::blue);
    app->Iterate();
    EXPECT_EQ(ShownBoard(), QColor(Qt::blue));
    EXPECT_EQ(shownStripColumn(), QColor(Qt::yellow)) << "shown with the mirrors";
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
