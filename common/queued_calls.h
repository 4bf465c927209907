#pragma once

// Calls handed from a worker thread to the thread a QObject lives on (the
// GUI thread), run there in the order they were posted.
//
// The calls wait in a queue of this object's own, under a std::mutex; only
// the wake-up goes through Qt's event queue, and it is queued by the slot's
// name, so that Qt builds, delivers and frees that queued call inside its own
// library. The point is that everything a worker hands over passes a lock
// ThreadSanitizer can see. Qt's event queue is locked with futexes it cannot
// see in a Qt that was not built with it, so a functor queued through
// QMetaObject::invokeMethod, built on one thread and run and freed on another,
// looks to it like a race on the functor and on everything it captured.

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace quib {

class QueuedCalls : public QObject {
    Q_OBJECT

  public:
    explicit QueuedCalls(QObject* parent = nullptr) : QObject(parent) {}

    // From any thread: `call` runs on this object's thread, after every call
    // posted before it. Calls still waiting when the object is destroyed are
    // dropped.
    void Post(std::function<void()> call);

  private:
    Q_INVOKABLE void RunNext();

    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;  // guarded by mutex_
};

}  // namespace quib
