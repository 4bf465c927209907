// Cost of one seat's update on the server's network thread: composing the
// frame, and drawing it on the seat's mirror once it is sent. The steady
// state (nothing changed) must stay nearly free; the common frame of a game
// moves both figures one step and presents both views; the largest frame is
// a whole board of the shapes level with two shapes per cell, the partner's
// board opened beside it, both composed and presented.
//
// And the window thread's part of the common frame: taking what changed of
// the seat's mirror views through the engine's door and painting it in the
// window's picture fields (on Qt's offscreen platform).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>

#include <mutex>
#include <optional>

#include "bench/painted_pixels.h"
#include "bench/seat_screen_game.h"
#include "server/core/window/picture_field.h"
#include "server/engine/engine_door.h"

namespace {

using quib::bench::SeatScreenGame;
using namespace quib::server;
using quib::bench::PaintedPixels;

double FrameBytes(const SeatScreenGame& game) {
    return static_cast<double>(game.engine->links().links[0].sender.length());
}

void BM_SteadyStateUpdate(benchmark::State& state) {
    SeatScreenGame game;
    for (auto _ : state) {
        game.Update();
    }
    state.counters["frame_bytes"] = FrameBytes(game);
}

void BM_Level3BoardUpdate(benchmark::State& state) {
    SeatScreenGame game;
    SeatRecord& r = game.engine->game().seats[0];
    for (auto _ : state) {
        r.ownBoardDrawn = 0;
        r.partnerBoardDrawn = 0;
        game.Update();
    }
    state.counters["frame_bytes"] = FrameBytes(game);
}

// Both figures walk back and forth across the board: every update moves the
// own figure a step, follows the partner's and presents both views.
void BM_MovingFiguresUpdate(benchmark::State& state) {
    SeatScreenGame game;
    game.ShowFigures();
    for (auto _ : state) {
        game.MoveFigures();
    }
    state.counters["frame_bytes"] = FrameBytes(game);
}

// The window shows a seat's mirrors at most every 40 ms, every second frame
// or so; here it shows them after every frame.
void BM_ShowMovingMirrors(benchmark::State& state) {
    SeatScreenGame game;
    game.ShowFigures();
    EngineDoor door(*game.engine);
    QWidget window;
    window.resize(680, 500);
    PictureField screen(480, 480, &window);
    screen.setGeometry(10, 10, 480, 480);
    PictureField partnerView(170, 170, &window);
    partnerView.setGeometry(500, 10, 170, 170);
    window.show();
    QCoreApplication::processEvents();
    PaintedPixels painted(&screen);
    PaintedPixels partnerPainted(&partnerView);
    for (auto _ : state) {
        state.PauseTiming();
        game.MoveFigures();
        state.ResumeTiming();
        // Copied onto the fields under the lock, as the window does.
        {
            std::lock_guard guard(game.state.lock);
            screen.ChangeImage([&](QImage& shown) {
                return door.CopyMirrorChange(0, Mirrors::View::Screen, shown).value_or(QRect());
            });
            partnerView.ChangeImage([&](QImage& shown) {
                return door.CopyMirrorChange(0, Mirrors::View::PartnerView, shown)
                    .value_or(QRect());
            });
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    state.counters["painted_pixels"] = benchmark::Counter(painted.pixels + partnerPainted.pixels,
                                                          benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_SteadyStateUpdate)->Name("update_seat_screen/steady_state");
BENCHMARK(BM_MovingFiguresUpdate)->Name("update_seat_screen/moving_figures");
BENCHMARK(BM_Level3BoardUpdate)->Name("update_seat_screen/level3_board_with_mirror");
BENCHMARK(BM_ShowMovingMirrors)->Name("show_seat_mirrors/moving_figures");

}  // namespace
