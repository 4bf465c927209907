#include "server/core/state_lock.h"

namespace quib::server {

void StateLock::lock() {
    std::unique_lock guard(mutex_);
    const auto self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return;
    }
    released_.wait(guard, [this] { return depth_ == 0; });
    owner_ = self;
    depth_ = 1;
}

bool StateLock::try_lock() {
    std::lock_guard guard(mutex_);
    const auto self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ != self) {
        return false;
    }
    owner_ = self;
    ++depth_;
    return true;
}

void StateLock::unlock() {
    std::lock_guard guard(mutex_);
    if (depth_ > 0 && --depth_ == 0) {
        owner_ = {};
        released_.notify_one();
    }
}

int StateLock::ReleaseAll() {
    std::lock_guard guard(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) {
        return 0;
    }
    const int levels = depth_;
    depth_ = 0;
    owner_ = {};
    released_.notify_one();
    return levels;
}

void StateLock::Reacquire(int levels) {
    if (levels <= 0) {
        return;
    }
    std::unique_lock guard(mutex_);
    released_.wait(guard, [this] { return depth_ == 0; });
    owner_ = std::this_thread::get_id();
    depth_ = levels;
}

bool StateLock::HeldByCurrentThread() const {
    std::lock_guard guard(mutex_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

}  // namespace quib::server
