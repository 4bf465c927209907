#pragma once

// Waiting for something the test can observe (a window, a file, a pixel),
// with a generous deadline instead of a fixed pause: a loaded machine is
// slow, not wrong.

#include <chrono>
#include <thread>

namespace quib::e2e {

template <typename Condition>
bool WaitFor(Condition&& condition, std::chrono::milliseconds limit,
             std::chrono::milliseconds step = std::chrono::milliseconds(100)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
}

}  // namespace quib::e2e
