#include "common/clock.h"

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

}  // namespace quib
