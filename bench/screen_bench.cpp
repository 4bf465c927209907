// Cost of one seat's update on the server's network thread: composing the
// frame, and drawing it on the seat's mirror once it is sent. The steady
// state (nothing changed) must stay nearly free; the common frame of a game
// moves both figures one step and presents both views; the largest frame is
// a whole board of the shapes level with two shapes per cell, the partner's
// board opened beside it, both composed and presented.
#include <benchmark/benchmark.h>

#include "bench/seat_screen_game.h"

namespace {

using quib::bench::SeatScreenGame;
using namespace quib::server;

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

BENCHMARK(BM_SteadyStateUpdate)->Name("update_seat_screen/steady_state");
BENCHMARK(BM_MovingFiguresUpdate)->Name("update_seat_screen/moving_figures");
BENCHMARK(BM_Level3BoardUpdate)->Name("update_seat_screen/level3_board_with_mirror");

}  // namespace

BENCHMARK_MAIN();
