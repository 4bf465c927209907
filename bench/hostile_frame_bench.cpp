// The most one hostile frame costs the player program at the usual picture
// field of 480 pixels: a 64 KiB frame of flood fills over a 4 x 4 unit image
// (without the frame work it drew for minutes), and the same fills in an
// image of 8 x 8 units, where one fill is as large as half the frame's work.
// The second figure is the longest the program can take between two looks
// at its quit flag.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "client/client_session.h"
#include "common/drawing.h"
#include "protocol/frame.h"
#include "protocol/messages.h"

namespace {

using namespace quib;

constexpr int kUnit = 480;

std::vector<std::uint8_t> FillFrame(float imageUnits) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    protocol::Append(*buffer, protocol::CreateImage{0, imageUnits, imageUnits});
    protocol::Append(*buffer, protocol::BeginDrawing{0});
    for (std::uint32_t i = 0;; ++i) {
        const protocol::Colour colour = i % 2 == 0 ? 0x0000FF : 0x00FF00;
        if (!protocol::Append(*buffer, protocol::Fill{1, 1, colour, protocol::kNoColour})) {
            break;
        }
    }
    const auto frame = buffer->FinishFrame();
    return {frame.begin(), frame.end()};
}

void HostileFillFrame(benchmark::State& state) {
    const std::vector<std::uint8_t> frame = FillFrame(static_cast<float>(state.range(0)));
    DrawingExecutor screen(DrawingConfig{kUnit, kUnit, {}, 1.0f}, kPlayerFrameWorkFields);
    client::ClientSession session(screen, nullptr);
    std::int64_t pixels = 0;
    for (auto _ : state) {
        const auto reply = session.HandleFrame(frame, client::ReplyInputs{});
        benchmark::DoNotOptimize(reply.data());
        pixels += screen.FrameWork();
    }
    state.counters["pixels_per_frame"] =
        benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(HostileFillFrame)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
