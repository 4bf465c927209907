// Closing the player program's window while a hostile server keeps it
// drawing the heaviest frames the protocol lets through: the program ends at
// once, and every such frame is answered as bad.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "client/client_settings.h"
#include "client/window/client_app.h"
#include "protocol/frame.h"
#include "testing/scratch_directory.h"
#include "tests/client/window/heavy_frame_peer.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

using Clock = std::chrono::steady_clock;

TEST(HeavyFrameClose, ClosingTheWindowEndsTheProgramWithinASecond) {
    quib::testing::EnsureApplication();
    testing::HeavyFramePeer peer;
    ASSERT_GT(peer.frameSize() + sizeof(protocol::Fill) + 2, protocol::kBufferSize);
    quib::testing::ScratchDirectory dir;
    ClientSettings settings;
    settings.ip = "127.0.0.1";
    settings.port = peer.port();
    settings.askOptions = 0;
    // A small screen (picture fields of 240 pixels) keeps the frames short
    // under the sanitizers; the frame work scales with the field.
    settings.baseHight = 300;
    ASSERT_TRUE(SaveClientSettings(dir.path(), settings));
    testing::ScriptedPrompts prompts;

    // Once the program has answered a few heavy frames, the next one is on
    // its way: the window is closed as a player would close it.
    std::optional<Clock::time_point> closedAt;
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(20);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (closedAt || (peer.replies.load() < 2 && Clock::now() < giveUp)) {
            return;
        }
        closedAt = Clock::now();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->close();
        }
    });
    closer.start(5);

    EXPECT_EQ(RunClient(ClientAppConfig{dir.path(), false, "player-host"}, prompts), 0);
    const Clock::time_point ended = Clock::now();

    ASSERT_TRUE(closedAt.has_value());
    EXPECT_GE(peer.replies.load(), 2) << "the program kept answering";
    EXPECT_EQ(peer.badFrameReports.load(), peer.replies.load());
    // Ending takes milliseconds; one of these frames drawn to its end takes
    // about ten seconds here, and half an hour on the largest image.
    const auto closing = std::chrono::duration_cast<std::chrono::milliseconds>(ended - *closedAt);
    RecordProperty("closing_ms", std::to_string(closing.count()));
    EXPECT_LT(closing, std::chrono::seconds(1));
    EXPECT_TRUE(prompts.informations.empty()) << "closing is no lost connection";
}

}  // namespace
}  // namespace quib::client
