#include "server/core/window/message_boxes.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QObject>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

using Clock = std::chrono::steady_clock;

// Stands for the experimenter: records the box and checks, while it is
// open, that the main thread could take stateLock.
struct RecordingBoxes : MessageSink {
    StateLock* lock = nullptr;
    std::atomic<int> shown{0};
    std::atomic<bool> lockFreeWhileOpen{false};
    std::string title;
    std::string text;
    void ShowMessage(const std::string& t, const std::string& x) override {
        title = t;
        text = x;
        if (lock->try_lock()) {
            lockFreeWhileOpen = true;
            lock->unlock();
        }
        ++shown;
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
    void SetUp() override {
        quib::testing::EnsureApplication();
        boxes.lock = &lock;
    }
    StateLock lock;
    RecordingBoxes boxes;
    QObject mainThreadContext;
};

TEST_F(CrossThreadMessagesTest, NetworkThreadWaitsForTheBoxWithoutHoldingTheLock) {
    CrossThreadMessages messages(boxes, lock, &mainThreadContext);
    std::atomic<bool> returned{false};
    std::atomic<bool> heldTwoLevelsAfter{false};
    std::thread network([&] {
        lock.lock();
        lock.lock();  // deep inside a pass
        messages.ShowMessage("Fehler!", "Kann Datei nicht schreiben: /tmp/x");
        heldTwoLevelsAfter = lock.HeldByCurrentThread() && lock.ReleaseAll() == 2;
        returned = true;
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return returned.load(); }));
    network.join();
    EXPECT_EQ(boxes.shown, 1);
    EXPECT_EQ(boxes.title, "Fehler!");
    EXPECT_EQ(boxes.text, "Kann Datei nicht schreiben: /tmp/x");
    EXPECT_TRUE(boxes.lockFreeWhileOpen) << "the main thread could not take stateLock";
    EXPECT_TRUE(heldTwoLevelsAfter);
}

TEST_F(CrossThreadMessagesTest, OnTheMainThreadTheBoxIsShownDirectly) {
    CrossThreadMessages messages(boxes, lock, &mainThreadContext);
    messages.ShowMessage("Achtung!", "direkt");
    EXPECT_EQ(boxes.shown, 1);
}

TEST_F(CrossThreadMessagesTest, ShutdownReleasesAWaitingCaller) {
    CrossThreadMessages messages(boxes, lock, &mainThreadContext);
    std::atomic<bool> returned{false};
    std::atomic<bool> aboutToShow{false};
    std::thread network([&] {
        std::lock_guard pass(lock);
        aboutToShow = true;
        messages.ShowMessage("Fehler!", "nie gezeigt");
        returned = true;
    });
    // The main loop has ended: nobody processes the queued box. Once the
    // caller has let go of the lock it is waiting for the box.
    while (!aboutToShow) {
        std::this_thread::yield();
    }
    while (!lock.try_lock()) {
        std::this_thread::yield();
    }
    lock.unlock();
    EXPECT_FALSE(returned);
    messages.Shutdown();
    network.join();
    EXPECT_TRUE(returned);
    QCoreApplication::processEvents();  // the queued box finds the shutdown
    EXPECT_EQ(boxes.shown, 0);
}

}  // namespace
}  // namespace quib::server
