#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "common/work_folders.h"
#include "protocol/frame.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/engine.h"
#include "tools/test_client.h"

namespace quib::testing {

// An engine listening on an ephemeral port of 127.0.0.1, driven pass by pass
// from the test's thread with a clock the test sets. Test clients answer on
// their own threads; waits are bounded by a wall-clock deadline.
class EngineFixture : public ::testing::Test {
  protected:
    static constexpr auto kDeadline = std::chrono::seconds(5);

    void SetUp() override {
        engine = std::make_unique<server::Engine>(state, texts, Folders(), Boxes());
        ASSERT_TRUE(engine->links().listener.Open(0));
        engine->StartLinks(now);
    }

    // Where the engine reads pictures and writes records, and where it shows
    // their failures: nowhere, unless a fixture says otherwise.
    virtual WorkFolders Folders() const { return {}; }
    virtual server::MessageSink* Boxes() { return nullptr; }

    std::uint16_t port() const { return engine->links().listener.port(); }
    server::SeatLink& link(int seat) { return engine->links().links[seat]; }

    // Runs passes at the current `now` until `done` holds; false after the
    // deadline. Each pass waits briefly for socket activity, like the
    // network thread does.
    template <typename Condition>
    bool PumpUntil(Condition done) {
        return PumpAdvancingUntil(0, done);
    }

    // The same, moving the clock on by `stepMs` before every pass.
    template <typename Condition>
    bool PumpAdvancingUntil(std::uint32_t stepMs, Condition done) {
        const auto end = std::chrono::steady_clock::now() + kDeadline;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            const server::SocketEvent event = engine->NextSocketEvent(std::chrono::milliseconds(2));
            now += stepMs;
            engine->RunPass(now, event);
        }
        return true;
    }

    // Connects the client and runs passes until it holds a seat; the seat.
    int Seat(tools::TestClient& client) {
        const std::array<bool, server::kSeats> takenBefore = {Taken(0), Taken(1)};
        int seat = -1;
        EXPECT_TRUE(client.Connect(port()));
        EXPECT_TRUE(PumpUntil([&] {
            for (int s = 0; s < server::kSeats; ++s) {
                seat = Taken(s) && !takenBefore[s] ? s : seat;
            }
            return seat >= 0;
        }));
        return seat;
    }

    // Seats the client and takes in its reply to the greeting, with the
    // clock standing still: the seat is then LinkIdle.
    int SeatAndGreet(tools::TestClient& client) {
        const int seat = Seat(client);
        EXPECT_TRUE(PumpUntil([&] { return link(seat).connectionState == server::LinkIdle; }));
        return seat;
    }

    bool Taken(int seat) { return link(seat).connection >= 0; }

    // Every frame a client received, concatenated, is all it received: no
    // frame came in pieces of others.
    static std::size_t TotalSize(const std::vector<std::vector<std::uint8_t>>& frames) {
        return std::accumulate(frames.begin(), frames.end(), std::size_t{0},
                               [](std::size_t sum, const auto& f) { return sum + f.size(); });
    }

    server::ServerState state;
    server::ServerTexts texts;
    std::unique_ptr<server::Engine> engine;
    std::uint32_t now = 50000;
};

// The frame that carries message 30 alone, byte for byte.
inline const std::vector<std::uint8_t> kFrameStartOnly = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0x00, 0x00,
                                                          0x00, 0x1E, 0x02, 0x2B, 0xB4, 0xDE, 0x6D};

// A greeting: a good 14-byte frame holding message 35 alone.
inline bool IsGreeting(const std::vector<std::uint8_t>& frame) {
    return frame.size() == protocol::kMinFrameSize &&
           protocol::CheckFrame(frame) == protocol::FrameCheck::Good && frame[8] == 35 &&
           frame[9] == 2;
}

// An update frame: a good frame that begins with message 30.
inline bool IsUpdateFrame(const std::vector<std::uint8_t>& frame) {
    return protocol::CheckFrame(frame) == protocol::FrameCheck::Good && frame[8] == 30 &&
           frame[9] == 2;
}

}  // namespace quib::testing
