// Cost of one exchange's framing work: building a frame in the send buffer,
// checking it and parsing it on the other side. Two frames: the steady state
// (nothing changed on screen) and a whole board of the shapes level being
// drawn, the largest frame a round produces.
#include <benchmark/benchmark.h>

#include <memory>

#include "protocol/messages.h"

namespace {

using namespace quib::protocol;

void BuildSteadyState(SendBuffer& buffer) {
    buffer.StartFrame();
    Append(buffer, FrameStart{});
    buffer.FinishFrame();
}

void AppendShape(SendBuffer& buffer, int cell) {
    const float x = (cell % 2) * 0.5f;
    const float y = (cell / 2) * 0.5f;
    if (cell == 0) {
        Append(buffer, Circle{x + 0.25f, y + 0.25f, 0.2f, 0x000000FFu});
        return;
    }
    Polygon polygon;
    polygon.pen = 0;
    polygon.brush = 0x0000FF00u;
    polygon.count = static_cast<std::size_t>(cell + 2);  // triangle, square, pentagon
    for (std::size_t i = 0; i < polygon.count; ++i) {
        polygon.points[i] = {x + 0.05f * static_cast<float>(i),
                             y + 0.4f - 0.03f * static_cast<float>(i)};
    }
    Append(buffer, polygon);
}

void AppendBoard(SendBuffer& buffer, std::int8_t slot) {
    Append(buffer, CreateImage{slot, 1.0f, 1.0f});
    Append(buffer, BeginDrawing{slot});
    Append(buffer, Box{0, 0, 1, 1, 0x00FFFFFFu});
    for (int cell = 0; cell < 4; ++cell) {
        Append(buffer, Box{(cell % 2) * 0.5f, (cell / 2) * 0.5f, 0.5f, 0.5f, 0x00C8C8C8u});
        AppendShape(buffer, cell);
    }
    Append(buffer, Line{0.5f, 0, 0.5f, 1, 0x00969696u});
    Append(buffer, Line{0, 0.5f, 1, 0.5f, 0x00969696u});
    Append(buffer, EndDrawing{});
}

void BuildBoardFrame(SendBuffer& buffer) {
    buffer.StartFrame();
    Append(buffer, FrameStart{});
    AppendBoard(buffer, 0);
    AppendBoard(buffer, 1);
    Append(buffer, LoadPicture{2, {"figur0.png"}});
    Append(buffer, LoadPicture{3, {"figur1.png"}});
    for (std::int8_t view : {kOwnViewSlot, kPartnerViewSlot}) {
        Append(buffer, BeginDrawing{view});
        Append(buffer, DrawImage{static_cast<std::int8_t>(view == kOwnViewSlot ? 0 : 1), 0, 0});
        Append(buffer,
               DrawImage{static_cast<std::int8_t>(view == kOwnViewSlot ? 2 : 3), 0.25f, 0.25f});
        Append(buffer, EndDrawing{});
    }
    Append(buffer, LeftText{0x0096FF96u, {"Spieler 1: Bitte Leertaste drücken"}});
    Append(buffer, RightText{0x00969696u, {"Punkte in Serie: 0 Höchste Serie: 0"}});
    Append(buffer, Present{});
    buffer.FinishFrame();
}

std::size_t CheckAndParse(std::span<const std::uint8_t> frame) {
    std::size_t bodyBytes = 0;
    ExecuteFrame(frame, [&](std::uint8_t, std::span<const std::uint8_t> body) {
        bodyBytes += body.size();
        return true;
    });
    return bodyBytes;
}

template <void (*Build)(SendBuffer&)>
void BM_Build(benchmark::State& state) {
    auto buffer = std::make_unique<SendBuffer>();
    for (auto _ : state) {
        Build(*buffer);
        benchmark::DoNotOptimize(buffer->bytes().data());
    }
    state.counters["frame_bytes"] = static_cast<double>(buffer->length());
}

template <void (*Build)(SendBuffer&)>
void BM_CheckAndParse(benchmark::State& state) {
    auto buffer = std::make_unique<SendBuffer>();
    Build(*buffer);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CheckAndParse(buffer->bytes()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer->length()));
}

BENCHMARK(BM_Build<BuildSteadyState>)->Name("build/steady_state");
BENCHMARK(BM_Build<BuildBoardFrame>)->Name("build/level3_board");
BENCHMARK(BM_CheckAndParse<BuildSteadyState>)->Name("check_parse/steady_state");
BENCHMARK(BM_CheckAndParse<BuildBoardFrame>)->Name("check_parse/level3_board");

}  // namespace

BENCHMARK_MAIN();
