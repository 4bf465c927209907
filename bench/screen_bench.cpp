// Cost of one seat's update on the server's network thread: composing the
// frame, and drawing it on the seat's mirror once it is sent. The steady
// state (nothing changed) must stay nearly free; the common frame of a game
// moves both figures one step and presents both views; the largest frame is
// a whole board of the shapes level with two shapes per cell, the partner's
// board opened beside it, both composed and presented.
#include <benchmark/benchmark.h>

#include <memory>

#include "common/work_folders.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/engine.h"
#include "server/engine/screen_composition.h"

namespace {

using namespace quib::server;

struct Bench {
    ServerState state;
    ServerTexts texts;
    std::unique_ptr<Engine> engine =
        std::make_unique<Engine>(state, texts, quib::WorkFolders{QUIB_GRAFIK_DIR, {}, {}});

    Bench() {
        for (int seat = 0; seat < kSeats; ++seat) {
            SeatRecord& r = engine->game().seats[seat];
            r.level = 3;
            r.boardColour = Rgb(225, 225, 225);
            for (int q = 0; q < kCells; ++q) {
                r.shapeA[q] = q;
                r.shapeB[q] = 3 - q;
                r.colourA[q] = Rgb(255, 100, 100);
                r.colourB[q] = Rgb(100, 100, 255);
                r.contact[q] = q % 2;
            }
            r.displayMode = DisplayOpen;
            r.statusTextSent = r.statusText;
            r.scoreTextSent = r.scoreText;
        }
        Update();  // the first update sends everything
    }

    void Update() {
        engine->ComposeUpdateFrame(0, 0);
        engine->links().links[0].sender.FinishFrame();
        engine->MirrorSentFrame(0);
    }

    // Both figures on the board, each with its picture already sent.
    void ShowFigures() {
        for (int seat = 0; seat < kSeats; ++seat) {
            SeatRecord& r = engine->game().seats[seat];
            r.ownFigureVisible = 1;
            r.partnerFigureVisible = 1;
            r.pictureName = "bauer0.png";
            r.partnerPictureName = "bauer1.png";
        }
        Update();
    }
};

void BM_SteadyStateUpdate(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.Update();
    }
    state.counters["frame_bytes"] =
        static_cast<double>(bench.engine->links().links[0].sender.length());
}

void BM_Level3BoardUpdate(benchmark::State& state) {
    Bench bench;
    SeatRecord& r = bench.engine->game().seats[0];
    for (auto _ : state) {
        r.ownBoardDrawn = 0;
        r.partnerBoardDrawn = 0;
        bench.Update();
    }
    state.counters["frame_bytes"] =
        static_cast<double>(bench.engine->links().links[0].sender.length());
}

// Both figures walk back and forth across the board: every update moves the
// own figure a step, follows the partner's and presents both views.
void BM_MovingFiguresUpdate(benchmark::State& state) {
    Bench bench;
    bench.ShowFigures();
    bench.state.settings.speed = 1;
    SeatRecord& own = bench.engine->game().seats[0];
    SeatRecord& partner = bench.engine->game().seats[1];
    for (auto _ : state) {
        if (own.shownX == own.targetX) {
            own.targetX = own.targetX == 0.25f ? 0.75f : 0.25f;
        }
        partner.shownY = own.shownX;
        bench.Update();
    }
    state.counters["frame_bytes"] =
        static_cast<double>(bench.engine->links().links[0].sender.length());
}

BENCHMARK(BM_SteadyStateUpdate)->Name("update_seat_screen/steady_state");
BENCHMARK(BM_MovingFiguresUpdate)->Name("update_seat_screen/moving_figures");
BENCHMARK(BM_Level3BoardUpdate)->Name("update_seat_screen/level3_board_with_mirror");

}  // namespace

BENCHMARK_MAIN();
