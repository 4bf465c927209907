#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "server/engine/engine.h"

namespace quib::server {

// The server's network thread: runs the engine's passes one after another
// until it is stopped. Between two passes it waits for socket activity until
// the engine has timed work (at most kMaxPassPause), outside stateLock,
// which is the main thread's window for its deferred updates.
//
// Start and Stop are called by the main thread; the engine belongs to the
// running thread in between. The listener must be open before Start, and the
// engine must outlive this object (its destructor stops the thread).
class NetworkThread {
  public:
    // One exchange: the experimenter's commands and the game's own timed
    // steps are noticed within the time a player's screen takes to change
    // anyway, while two players exchanging frames wake the thread no more
    // often than their replies and frames do.
    static constexpr std::chrono::milliseconds kMaxPassPause{25};

    explicit NetworkThread(Engine& engine);
    ~NetworkThread();
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    // Starts the loop; does nothing while it already runs or once stopped.
    void Start();
    // Ends the loop after its current pass, waits for the thread, then
    // closes both connections and the listening socket. Safe to call more
    // than once, and while the caller holds stateLock (it is let go of while
    // waiting, or the thread could never finish its pass).
    void Stop();
    bool running() const { return thread_.joinable(); }

    // Called on the network thread after every pass, outside stateLock:
    // the main thread uses it to wake up when a pass left work for it.
    // Set before Start.
    void SetAfterPass(std::function<void()> afterPass) { afterPass_ = std::move(afterPass); }

  private:
    void Loop();

    static constexpr unsigned long kTimerSlackNs = 1000;

    Engine& engine_;
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
    std::function<void()> afterPass_;
};

}  // namespace quib::server
