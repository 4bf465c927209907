#include "server/records/session_writer.h"

#include <utility>

namespace quib::server {

SessionWriter::SessionWriter(std::unique_ptr<SessionOutput> output, Reports reports)
    : output_(std::move(output)), reports_(std::move(reports)) {
    thread_ = std::thread([this] { Loop(); });
}

void SessionWriter::Append(std::string piece) {
    {
        std::lock_guard guard(mutex_);
        if (stopping_) {
            return;
        }
        if (waiting_.size() >= kMaxWaiting) {
            ++lost_;
            dropNoticeDue_ = !dropNoticeGiven_;
        } else {
            waiting_.push_back(std::move(piece));
        }
        arrived_ = true;
    }
    wake_.notify_one();
}

void SessionWriter::AwaitQuiet() {
    std::unique_lock lock(mutex_);
    quiet_.wait(lock, [this] { return finished_ || (!busy_ && !HasWork()); });
}

void SessionWriter::Stop() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SessionWriter::Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return HasWork(); });
        busy_ = true;
        const bool last = stopping_;
        arrived_ = false;
        if (dropNoticeDue_) {
            dropNoticeDue_ = false;
            dropNoticeGiven_ = true;
            Report(lock, reports_.dropping);
        }
        // A failed piece is tried again only now that another came (or at
        // the end): a full disk is not hammered between events.
        WriteWaiting(lock);
        busy_ = false;
        finished_ = last;
        quiet_.notify_all();
        if (last) {
            return;
        }
    }
}

void SessionWriter::WriteWaiting(std::unique_lock<std::mutex>& lock) {
    while (!waiting_.empty()) {
        const std::string piece = waiting_.front();
        lock.unlock();
        const bool written = output_->Append(piece);
        lock.lock();
        if (!written) {
            if (!std::exchange(failing_, true)) {
                Report(lock, reports_.cannotWrite);
            }
            return;
        }
        waiting_.pop_front();
    }
    failing_ = false;
    if (lost_ > 0) {
        const std::size_t lost = std::exchange(lost_, 0);
        dropNoticeGiven_ = false;
        Report(lock, [this, lost] {
            if (reports_.linesLost) {
                reports_.linesLost(lost);
            }
        });
    }
}

void SessionWriter::Report(std::unique_lock<std::mutex>& lock,
                           const std::function<void()>& report) {
    if (!report) {
        return;
    }
    lock.unlock();
    report();
    lock.lock();
}

}  // namespace quib::server
