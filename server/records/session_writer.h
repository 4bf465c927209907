#pragma once

// The session file's writer: a small thread of its own that appends the
// lines the server hands it, so that neither the network thread nor the
// window ever waits for a disk sync, and never under stateLock.
//
// Threads (docs/threads.md): Append from any thread (the network thread in
// its pass, the main thread for the game start and the end), under the
// writer's own mutex only, which no disk access is made under; the disk
// access and the reports on the writer thread, neither under that mutex nor
// under stateLock (a report takes stateLock to post its log line).

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/records/session_output.h"

namespace quib::server {

class SessionWriter {
  public:
    // What the writer tells the experimenter, each once per episode, from
    // its thread.
    struct Reports {
        // A piece could not be written (a full disk, a file that takes no
        // more): the lines are kept and tried again with the next one.
        std::function<void()> cannotWrite;
        // The waiting lines reached their bound: newer ones are dropped.
        std::function<void()> dropping;
        // Writing works again and the lines kept are all written; how many
        // were dropped meanwhile.
        std::function<void(std::size_t)> linesLost;
    };

    // The lines waiting for the disk at most. Events are made by people and
    // their programs' connections, a few per minute, and at worst one
    // bad-frames line per seat and second: 10,000 lines (under 150 bytes
    // each: the host name is at most 50) keep over an hour of that worst
    // rate in under 1.5 MB while the disk is full.
    static constexpr std::size_t kMaxWaiting = 10000;

    // Starts the thread; `output` takes the pieces in order.
    SessionWriter(std::unique_ptr<SessionOutput> output, Reports reports);
    ~SessionWriter() { Stop(); }
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    // Queues one piece (a line, or the header's lines) and returns at once.
    // Beyond kMaxWaiting the piece is dropped and counted.
    void Append(std::string piece);
    // Waits until the thread has done what it can for now: every piece
    // written, or the first of them failed and waiting for the next Append.
    void AwaitQuiet();
    // Tries once more to write what waits, then ends the thread. The caller
    // must not hold stateLock (a report may need it).
    void Stop();

  private:
    void Loop();
    void WriteWaiting(std::unique_lock<std::mutex>& lock);
    void Report(std::unique_lock<std::mutex>& lock, const std::function<void()>& report);
    bool HasWork() const { return stopping_ || arrived_ || dropNoticeDue_; }

    std::unique_ptr<SessionOutput> output_;  // the writer thread's alone
    Reports reports_;
    // All below under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable quiet_;
    std::deque<std::string> waiting_;  // the oldest first; it stays until written
    bool arrived_ = false;             // a piece came since the last attempt
    bool failing_ = false;             // the last attempt failed
    bool busy_ = false;                // the thread is writing or reporting
    bool stopping_ = false;
    bool finished_ = false;  // the thread has ended
    bool dropNoticeDue_ = false;
    bool dropNoticeGiven_ = false;
    std::size_t lost_ = 0;  // dropped since writing last caught up
    std::thread thread_;
};

}  // namespace quib::server
