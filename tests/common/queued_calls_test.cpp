#include "common/queued_calls.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quib {
namespace {

using Clock = std::chrono::steady_clock;

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "quib_queued_calls_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the thread's events until `done` holds or a few seconds have passed.
template <typename Done>
bool ProcessEventsUntil(Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// What a worker posts runs on the object's thread, in the order posted,
// with what the worker handed over.
TEST(QueuedCalls, RunOnTheObjectsThreadInTheOrderPosted) {
    Application();
    QueuedCalls calls;
    std::vector<std::string> ran;  // GUI thread only
    bool allOnThisThread = true;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            calls.Post([&, text = "call " + std::to_string(i) + " of the worker"] {
                allOnThisThread = allOnThisThread && QThread::currentThread() == calls.thread();
                ran.push_back(text);
            });
        }
    });
    worker.join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return ran.size() == 50; }));
    EXPECT_TRUE(allOnThisThread);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], "call " + std::to_string(i) + " of the worker");
    }
}

// A call that waits in an event loop of its own, as a modal box does, does
// not hold up the calls posted while it waits.
TEST(QueuedCalls, ACallInAModalLoopDoesNotHoldUpTheNextOnes) {
    Application();
    QueuedCalls calls;
    std::atomic<bool> firstWaits{false};
    bool secondRan = false;
    bool secondRanInsideFirst = false;
    std::thread worker([&] {
        calls.Post([&] {
            firstWaits = true;
            secondRanInsideFirst = ProcessEventsUntil([&] { return secondRan; });
        });
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!firstWaits && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        calls.Post([&] { secondRan = true; });
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return secondRan; }));
    worker.join();
    EXPECT_TRUE(secondRanInsideFirst);
}

}  // namespace
}  // namespace quib
