#include "common/queued_calls.h"

#include <utility>

namespace quib {

void QueuedCalls::Post(std::function<void()> call) {
    {
        std::lock_guard guard(mutex_);
        calls_.push_back(std::move(call));
    }
    QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

// One wake-up per call, as with calls queued to Qt itself: a call that
// waits in a modal box, whose event loop delivers the next wake-ups, does
// not hold up the calls posted after it.
void QueuedCalls::RunNext() {
    std::function<void()> call;
    {
        std::lock_guard guard(mutex_);
        if (calls_.empty()) {
            return;
        }
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();
}

}  // namespace quib
