// The real player program (ClientApp with its window and network thread)
// playing against the real server engine over a slow link: a proxy holds
// back the second half of the large frame that builds the player's board, as
// a lost TCP segment and its retransmission do. Every frame gets exactly one
// reply, the player's screen is complete, and the exchange goes on at its
// pace.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/client_settings.h"
#include "client/window/client_app.h"
#include "protocol/receiver.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/case_name.h"
#include "tests/support/live_game.h"
#include "tests/support/qt_app.h"
#include "tests/support/stalling_proxy.h"

namespace quib::client {
namespace {

using quib::testing::StallingProxy;
using Kind = StallingProxy::Kind;
using std::chrono::milliseconds;

// Larger than TCP's default segment payload of 536 bytes, so on a real
// network the frame may cross in several segments, and losing one holds up
// the rest. The frame that builds the board is that large.
constexpr std::size_t kMultiSegmentFrame = 537;
// Frames that must follow the stalled one to show the exchange going on.
constexpr std::size_t kFramesAfterStall = 20;
// The update pause is 25 ms; the reply watch marks a missing reply after
// 200 ms. Frames that keep coming faster than that are the normal rhythm,
// with room for a loaded machine.
constexpr auto kNormalGap = milliseconds(200);

constexpr auto kLimit = milliseconds(protocol::FrameReceiver::kCompletionLimitMs);

struct StallCase {
    std::string name;
    milliseconds stall;
};

void PrintTo(const StallCase& c, std::ostream* os) {
    *os << c.name;
}

// The exchange as the proxy saw it, for failure messages: F<size> for a
// frame (* held back), R<size> for a reply (! the bad-frame report).
std::string Describe(const std::vector<StallingProxy::Event>& events) {
    std::string text;
    for (const auto& e : events) {
        text += e.kind == Kind::Frame ? "F" : "R";
        text += std::to_string(e.size) + (e.stalled ? "*" : "") + (e.badReport ? "!" : "") + " ";
    }
    return text;
}

int PixelsUnlikeTheCorner(const QImage& image) {
    int unlike = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            unlike += image.pixel(x, y) != image.pixel(0, 0) ? 1 : 0;
        }
    }
    return unlike;
}

class SlowLink : public quib::testing::LiveGame, public ::testing::WithParamInterface<StallCase> {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        LiveGame::SetUp();
        // The round again at the highest level, which draws the most on a
        // board, before the player comes.
        Locked([&] {
            state.settings.level = 6;
            state.gameState = server::SetUp;
        });
        ASSERT_TRUE(WaitFor([&] { return GameState() == server::WaitStart; }));
        proxy = std::make_unique<StallingProxy>(port(), kMultiSegmentFrame, GetParam().stall);
        ASSERT_NE(proxy->port(), 0);
        std::filesystem::create_directories(clientDir.path() / "grafik");
        std::filesystem::copy_file(dir.path() / "grafik/figur0.png",
                                   clientDir.path() / "grafik/figur0.png");
        ClientSettings settings;
        settings.ip = "127.0.0.1";
        settings.port = proxy->port();
        settings.askOptions = 0;
        // Pictures of 480 pixels, the size of the server's mirror.
        settings.baseHight = 600;
        ASSERT_TRUE(SaveClientSettings(clientDir.path(), settings));
    }

    // Index of the stalled frame in `events`, or events.size().
    static std::size_t StalledFrame(const std::vector<StallingProxy::Event>& events) {
        return static_cast<std::size_t>(
            std::find_if(events.begin(), events.end(),
                         [](const auto& e) { return e.kind == Kind::Frame && e.stalled; }) -
            events.begin());
    }

    QImage ServerMirror() {
        return Locked(
            [&] { return engine->mirrors().Screen(0).convertToFormat(QImage::Format_RGB32); });
    }

    std::unique_ptr<StallingProxy> proxy;
    quib::testing::ScratchDirectory clientDir;
    testing::ScriptedPrompts prompts;
};

TEST_P(SlowLink, EveryFrameGetsOneReplyAndTheExchangeGoesOn) {
    const milliseconds stall = GetParam().stall;
    const bool withinLimit = stall < kLimit;
    ClientApp app(ClientAppConfig{clientDir.path(), false, "slow-host"}, prompts, [] {});
    app.Open();
    ASSERT_TRUE(app.Connect());
    app.StartNetwork();

    ASSERT_TRUE(quib::testing::ProcessEventsUntil(
        [&] {
            const auto events = proxy->Events();
            const std::size_t stalled = StalledFrame(events);
            return stalled < events.size() &&
                   static_cast<std::size_t>(std::count_if(
                       events.begin() + static_cast<std::ptrdiff_t>(stalled) + 1, events.end(),
                       [](const auto& e) { return e.kind == Kind::Frame; })) >= kFramesAfterStall;
        },
        kDeadline))
        << "the stalled frame or the exchange after it is missing: " << Describe(proxy->Events());

    const std::vector<StallingProxy::Event> events = proxy->Events();
    // Frames and replies alternate, starting with the server's greeting.
    for (std::size_t i = 0; i < events.size(); ++i) {
        ASSERT_EQ(events[i].kind, i % 2 == 0 ? Kind::Frame : Kind::Reply)
            << "event " << i << " of " << Describe(events);
    }
    const std::size_t stalled = StalledFrame(events);
    const StallingProxy::Event& answer = events[stalled + 1];
    // Answered when the whole frame was in, or else when the player gave up
    // waiting for it; never before.
    EXPECT_GE(answer.at - events[stalled].at, std::min(stall, kLimit));
    EXPECT_EQ(answer.badReport, !withinLimit);
    const auto badReports =
        std::count_if(events.begin(), events.end(), [](const auto& e) { return e.badReport; });
    EXPECT_EQ(badReports, withinLimit ? 0 : 1);

    std::vector<StallingProxy::Clock::duration> gaps;
    for (std::size_t i = stalled + 2; i + 2 < events.size(); i += 2) {
        gaps.push_back(events[i + 2].at - events[i].at);
    }
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    EXPECT_LT(gaps[gaps.size() / 2], kNormalGap) << "median time between frames after the stall";

    if (withinLimit) {
        // The player's screen shows what the server's mirror of it shows.
        const bool same = quib::testing::ProcessEventsUntil(
            [&] {
                const QImage& shown = app.window().picture(TextField::Left)->image();
                return shown.convertToFormat(QImage::Format_RGB32) == ServerMirror();
            },
            kDeadline);
        const QImage mirror = ServerMirror();
        EXPECT_TRUE(same) << "the player's screen is not the server's mirror";
        EXPECT_GT(PixelsUnlikeTheCorner(mirror), mirror.width() * mirror.height() / 10)
            << "no board drawn";
    }
}

INSTANTIATE_TEST_SUITE_P(, SlowLink,
                         ::testing::Values(StallCase{"Stall300ms", milliseconds(300)},
                                           StallCase{"Stall1000ms", milliseconds(1000)},
                                           StallCase{"StallBeyondTheLimit",
                                                     kLimit + milliseconds(1000)}),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
