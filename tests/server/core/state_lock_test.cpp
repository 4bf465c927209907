#include "server/core/state_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace quib::server {
namespace {

using namespace std::chrono_literals;

TEST(StateLock, TheHolderMayTakeItAgain) {
    StateLock lock;
    std::lock_guard outer(lock);
    std::lock_guard inner(lock);
    EXPECT_TRUE(lock.HeldByCurrentThread());
}

TEST(StateLock, AnotherThreadWaitsUntilEveryLevelIsReleased) {
    StateLock lock;
    lock.lock();
    lock.lock();
    auto other = std::async(std::launch::async, [&] { return lock.try_lock(); });
    EXPECT_FALSE(other.get());
    lock.unlock();
    other = std::async(std::launch::async, [&] { return lock.try_lock(); });
    EXPECT_FALSE(other.get()) << "one level is still held";
    lock.unlock();
    other = std::async(std::launch::async, [&] {
        const bool taken = lock.try_lock();
        if (taken) {
            lock.unlock();
        }
        return taken;
    });
    EXPECT_TRUE(other.get());
}

// The network thread lets go of the lock while it waits for the main thread:
// the main thread must be able to take it meanwhile, and the network thread
// must get all its levels back afterwards.
TEST(StateLock, ReleasedLevelsComeBackAfterTheOtherThreadIsDone) {
    StateLock lock;
    std::promise<void> mainTookTheLock;
    std::atomic<bool> mainHolds{false};
    lock.lock();
    lock.lock();
    std::thread mainThread;
    {
        StateLockReleased released(lock);
        EXPECT_FALSE(lock.HeldByCurrentThread());
        mainThread = std::thread([&] {
            std::lock_guard guard(lock);
            mainHolds = true;
            mainTookTheLock.set_value();
            std::this_thread::sleep_for(20ms);
            mainHolds = false;
        });
        mainTookTheLock.get_future().wait();
    }
    // Reacquire waited for the main thread to let go.
    EXPECT_FALSE(mainHolds);
    EXPECT_TRUE(lock.HeldByCurrentThread());
    lock.unlock();
    EXPECT_TRUE(lock.HeldByCurrentThread()) << "both levels came back";
    lock.unlock();
    EXPECT_FALSE(lock.HeldByCurrentThread());
    mainThread.join();
}

TEST(StateLock, ReleaseAllByAThreadThatHoldsNothingReleasesNothing) {
    StateLock lock;
    lock.lock();
    auto released = std::async(std::launch::async, [&] { return lock.ReleaseAll(); });
    EXPECT_EQ(released.get(), 0);
    EXPECT_TRUE(lock.HeldByCurrentThread());
    lock.unlock();
}

}  // namespace
}  // namespace quib::server
