// Cost of the common frame of a game in the player program: both figures a
// step on, both views composed and presented (the frames the server's
// composition sends seat 1 while both figures walk across the boards).
//
//   client_screen/execute_moving_figure   the network thread: checking and
//       executing the frame, the present and handing the front images to
//       the window, and building the reply
//   client_screen/execute_and_show_moving_figure   the same, then the window
//       thread: taking the images and painting what changed of the window
//
// The player program's screen is that of the default settings (baseHight
// 450: pictures of 360 pixels), in a real window on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <string_view>

#include "bench/painted_pixels.h"
#include "bench/seat_screen_game.h"
#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/key_state.h"
#include "client/screen_geometry.h"
#include "client/window/client_window.h"
#include "common/drawing.h"

namespace {

using namespace quib;
using namespace quib::client;
using quib::bench::PaintedPixels;

class PlayerScreen {
  public:
    PlayerScreen()
        : geometry_(ComputeScreenGeometry(settings_.baseHight, settings_.baseFontSize, 0, 0)),
          drawing_(DrawingConfig{geometry_.unit, geometry_.unit, QUIB_GRAFIK_DIR, geometry_.scale},
                   kPlayerFrameWorkFields),
          session_(drawing_,
                   [this](TextField field, protocol::Colour colour, std::string_view text) {
                       window_.PostText(field, colour, text);
                   }),
          window_(settings_, keys_, "client_bench") {
        window_.ShowFrontImages(*drawing_.Image(0), *drawing_.Image(2));
        window_.show();
        handOver_ = std::make_unique<client::PresentHandOver>(drawing_, window_);
        for (const bench::Frame& frame : frames_.setup) {
            Execute(frame);
            Show();
        }
    }

    // The network thread's part.
    void Execute(const bench::Frame& frame) {
        const auto reply = session_.HandleFrame(frame, inputs_);
        benchmark::DoNotOptimize(reply.data());
        handOver_->HandOver();  // once the reply is out
    }

    // The window thread's part: the images handed over, then the paint they
    // asked for (Qt's update timer set to 0 ms in main(), so that the paint
    // comes at once instead of after the platform's usual 5 ms).
    static void Show() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QWidget& window() { return window_; }

    const bench::Frame& NextMovingFrame() {
        const bench::Frame& frame = frames_.moving[next_];
        next_ = (next_ + 1) % frames_.moving.size();
        return frame;
    }

  private:
    const bench::MovingFigureFrames frames_ = bench::RecordMovingFigureFrames();
    ClientSettings settings_;
    KeyState keys_;
    ScreenGeometry geometry_;
    DrawingExecutor drawing_;
    ClientSession session_;
    ClientWindow window_;
    std::unique_ptr<client::PresentHandOver> handOver_;
    ReplyInputs inputs_{"client-bench", true, &keys_};
    std::size_t next_ = 0;
};

void BM_ExecuteMovingFigure(benchmark::State& state) {
    PlayerScreen screen;
    for (auto _ : state) {
        screen.Execute(screen.NextMovingFrame());
        state.PauseTiming();
        PlayerScreen::Show();
        state.ResumeTiming();
    }
}

void BM_ExecuteAndShowMovingFigure(benchmark::State& state) {
    PlayerScreen screen;
    PaintedPixels painted(&screen.window());
    for (auto _ : state) {
        screen.Execute(screen.NextMovingFrame());
        PlayerScreen::Show();
    }
    state.counters["painted_pixels"] =
        benchmark::Counter(painted.pixels, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_ExecuteMovingFigure)->Name("client_screen/execute_moving_figure");
BENCHMARK(BM_ExecuteAndShowMovingFigure)->Name("client_screen/execute_and_show_moving_figure");

}  // namespace
