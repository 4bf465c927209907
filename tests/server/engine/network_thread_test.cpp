// The network thread on the real clock: it serves both seats by itself, lets
// the main thread in between its passes, and shuts everything down on Stop.

#include "server/engine/network_thread.h"
#include "common/key_codes.h"

#include <gtest/gtest.h>

#include <bitset>
#include <chrono>
#include <memory>
#include <mutex>

#include "common/clock.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "tests/server/engine/engine_fixture.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using namespace std::chrono_literals;
using tools::TestClient;

TEST(NetworkThread, ServesBothSeatsUntilStoppedThenClosesEverything) {
    ServerState state;
    const ServerTexts texts;
    auto engine = std::make_unique<Engine>(state, texts);
    ASSERT_TRUE(engine->links().listener.Open(0));
    engine->StartLinks(MonotonicMilliseconds());
    const std::uint16_t port = engine->links().listener.port();
    NetworkThread thread(*engine);
    thread.Start();
    EXPECT_TRUE(thread.running());

    TestClient first;
    TestClient second;
    first.SetHostName("lab-01");
    first.SetKeysDown(std::bitset<256>().set(kKeyRight));
    ASSERT_TRUE(first.Connect(port));
    ASSERT_TRUE(first.WaitForFrames(1, 5s));
    second.SetHostName("lab-02");
    ASSERT_TRUE(second.Connect(port));
    ASSERT_TRUE(first.WaitForFrames(5, 5s));
    ASSERT_TRUE(second.WaitForFrames(5, 5s));

    {
        // The main thread's view between two passes.
        std::lock_guard guard(state.lock);
        EXPECT_EQ(state.engineBusy, 0);
        EXPECT_EQ(state.seatLines[0].hostLine, "Host: lab-01");
        EXPECT_EQ(state.seatLines[1].hostLine, "Host: lab-02");
        EXPECT_EQ(engine->game().keyTable[0][kKeyRight], 1);
    }
    EXPECT_TRUE(quib::testing::IsGreeting(first.Frames()[0]));
    EXPECT_TRUE(quib::testing::IsUpdateFrame(first.Frames()[1]));
    EXPECT_EQ(first.RhythmViolations(), 0U);
    EXPECT_EQ(second.RhythmViolations(), 0U);

    {
        // Stop lets go of the lock its caller holds while it waits.
        std::lock_guard guard(state.lock);
        thread.Stop();
    }
    EXPECT_FALSE(thread.running());
    EXPECT_TRUE(first.WaitForClosedByServer(5s));
    EXPECT_TRUE(second.WaitForClosedByServer(5s));
    EXPECT_FALSE(engine->links().listener.isOpen());
    EXPECT_EQ(engine->links().links[0].connection, -1);
    EXPECT_EQ(engine->links().links[1].connection, -1);
    thread.Stop();  // a second stop does nothing
}

}  // namespace
}  // namespace quib::server
