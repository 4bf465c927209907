#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace quib::server {

// The one re-entrant lock the server's two threads share (`stateLock`).
//
// It is a std::recursive_mutex that can also be let go of completely for a
// while: the network thread holds it for a whole pass, possibly several
// levels deep, and when it must wait for the main thread (a message box the
// main thread shows for it) it releases every level, waits, and takes the same
// number of levels back. Waiting for the main thread while holding the lock
// would deadlock the moment the main thread wants the lock itself.
class StateLock {
  public:
    void lock();
    bool try_lock();
    void unlock();

    // Releases every level the calling thread holds; returns how many.
    int ReleaseAll();
    // Takes the lock again with the given number of levels.
    void Reacquire(int levels);

    bool HeldByCurrentThread() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;  // guarded by mutex_
    int depth_ = 0;          // guarded by mutex_
};

// Lets go of the lock for the lifetime of this object, then takes it back
// with the levels it had.
class StateLockReleased {
  public:
    explicit StateLockReleased(StateLock& lock) : lock_(lock), levels_(lock.ReleaseAll()) {}
    ~StateLockReleased() { lock_.Reacquire(levels_); }
    StateLockReleased(const StateLockReleased&) = delete;
    StateLockReleased& operator=(const StateLockReleased&) = delete;

  private:
    StateLock& lock_;
    int levels_;
};

}  // namespace quib::server
