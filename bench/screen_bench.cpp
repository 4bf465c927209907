// Cost of one seat's update on the server's network thread: composing the
// frame and drawing it on the seat's mirror. The steady state (nothing
// changed) must stay nearly free; the largest frame is a whole board of the
// shapes level with two shapes per cell, the partner's board opened beside
// it, both composed and presented.
#include <benchmark/benchmark.h>

#include <memory>

#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/engine.h"
#include "server/engine/screen_composition.h"

namespace {

using namespace quib::server;

struct Bench {
    ServerState state;
    ServerTexts texts;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(state, texts);

    Bench() {
        for (int seat = 0; seat < kSeats; ++seat) {
            SeatRecord& r = engine->seats[seat];
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
        UpdateSeatScreen(*engine, 0, 0);
        engine->links[0].sender.FinishFrame();
    }
};

void BM_SteadyStateUpdate(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.Update();
    }
    state.counters["frame_bytes"] = static_cast<double>(bench.engine->links[0].sender.length());
}

void BM_Level3BoardUpdate(benchmark::State& state) {
    Bench bench;
    SeatRecord& r = bench.engine->seats[0];
    for (auto _ : state) {
        r.ownBoardDrawn = 0;
        r.partnerBoardDrawn = 0;
        bench.Update();
    }
    state.counters["frame_bytes"] = static_cast<double>(bench.engine->links[0].sender.length());
}

BENCHMARK(BM_SteadyStateUpdate)->Name("update_seat_screen/steady_state");
BENCHMARK(BM_Level3BoardUpdate)->Name("update_seat_screen/level3_board_with_mirror");

}  // namespace

BENCHMARK_MAIN();
