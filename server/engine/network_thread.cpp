#include "server/engine/network_thread.h"

#include <sys/prctl.h>

#include <mutex>

#include "common/clock.h"

namespace quib::server {

NetworkThread::NetworkThread(Engine& engine) : engine_(engine) {}

NetworkThread::~NetworkThread() {
    Stop();
}

void NetworkThread::Start() {
    if (thread_.joinable() || stopRequested_) {
        return;
    }
    thread_ = std::thread([this] { Loop(); });
}

void NetworkThread::Stop() {
    stopRequested_ = true;
    if (thread_.joinable()) {
        StateLockReleased released(engine_.state.lock);
        thread_.join();
    }
    std::lock_guard guard(engine_.state.lock);
    engine_.CloseAll();
}

void NetworkThread::Loop() {
    // The next frame is due 25 ms after a reply; the timer slack the system
    // grants by default (50 us) would put off every frame by that much.
    prctl(PR_SET_TIMERSLACK, kTimerSlackNs);
    while (!stopRequested_) {
        // Between passes the thread sleeps until a socket event or the
        // engine's next timed work, so waiting players cost next to no
        // processor time; the limit bounds how late the thread notices the
        // experimenter's start, stop and abort.
        const SocketEvent event =
            engine_.NextSocketEvent(engine_.TimeUntilNextPass(MonotonicMoment(), kMaxPassPause));
        engine_.RunPass(MonotonicMoment(), event);
        if (afterPass_) {
            afterPass_();
        }
    }
}

}  // namespace quib::server
