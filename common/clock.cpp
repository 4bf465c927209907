#include "common/clock.h"

#include <algorithm>
#include <chrono>

namespace quib {

std::uint32_t MonotonicMilliseconds() {
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count();
    return static_cast<std::uint32_t>(ms);  // keeps the low 32 bits: the timer wraps
}

Moment MonotonicMoment() {
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(since_boot).count();
    // Both resolutions from one reading, so that they never disagree.
    return {static_cast<std::uint32_t>(us / 1000), static_cast<std::uint32_t>(us)};
}

timespec ToTimespec(std::chrono::microseconds duration) {
    duration = std::max(duration, std::chrono::microseconds(0));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    return {static_cast<time_t>(seconds.count()),
            static_cast<long>((duration - seconds).count() * 1000)};
}

}  // namespace quib
