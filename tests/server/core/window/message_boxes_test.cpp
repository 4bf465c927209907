#include "server/core/window/message_boxes.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QObject>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

using Clock = std::chrono::steady_clock;

// Stands for the experimenter: records each box shown.
struct RecordingBoxes : MessageSink {
    std::vector<std::pair<std::string, std::string>> shown;  // main thread only
    void ShowMessage(const std::string& title, const std::string& text) override {
        shown.emplace_back(title, text);
    }
};

// Runs the main thread's event loop until `done` holds or a few seconds pass.
template <typename Done>
bool ProcessEventsUntil(Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class CrossThreadMessagesTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    // Calls ShowMessage on a thread of its own and waits for it to return,
    // without letting the main thread show anything meanwhile.
    void ShowFromNetworkThread(const std::string& text) {
        std::thread network([&] { messages.ShowMessage("Fehler!", text); });
        network.join();
    }

    RecordingBoxes boxes;
    QObject mainThreadContext;
    std::vector<std::string> overflow;  // written by the network thread, read after join
    CrossThreadMessages messages{boxes, &mainThreadContext,
                                 [this](const std::string& text) { overflow.push_back(text); }};
};

// A full disk must not stop the game: the network thread reports and goes on
// while the box waits for the experimenter.
TEST_F(CrossThreadMessagesTest, TheNetworkThreadGoesOnAndTheMainThreadShowsTheBox) {
    ShowFromNetworkThread("Kann Datei nicht schreiben: /tmp/x");
    EXPECT_TRUE(boxes.shown.empty()) << "shown on the network thread";
    EXPECT_TRUE(messages.BoxPending());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !boxes.shown.empty(); }));
    EXPECT_EQ(boxes.shown[0], std::make_pair(std::string("Fehler!"),
                                             std::string("Kann Datei nicht schreiben: /tmp/x")));
    EXPECT_FALSE(messages.BoxPending());
    EXPECT_TRUE(overflow.empty());
}

TEST_F(CrossThreadMessagesTest, FailuresWhileABoxIsPendingGoToTheLogUntilItIsClosed) {
    ShowFromNetworkThread("erste");
    ShowFromNetworkThread("zweite");
    ShowFromNetworkThread("dritte");
    EXPECT_EQ(overflow, (std::vector<std::string>{"zweite", "dritte"}));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !messages.BoxPending(); }));
    EXPECT_EQ(boxes.shown.size(), 1u);
    // Closed: the next failure gets a box of its own again.
    ShowFromNetworkThread("vierte");
    ASSERT_TRUE(ProcessEventsUntil([&] { return boxes.shown.size() == 2; }));
    EXPECT_EQ(boxes.shown[1].second, "vierte");
    EXPECT_EQ(overflow.size(), 2u);
}

TEST_F(CrossThreadMessagesTest, OnTheMainThreadTheBoxIsShownDirectly) {
    messages.ShowMessage("Achtung!", "direkt");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "direkt");
}

TEST_F(CrossThreadMessagesTest, AfterShutdownQueuedAndLaterBoxesAreNotShown) {
    ShowFromNetworkThread("nie gezeigt");
    messages.Shutdown();
    QCoreApplication::processEvents();  // the queued box finds the shutdown
    ShowFromNetworkThread("auch nicht");
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace quib::server
