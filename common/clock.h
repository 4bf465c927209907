#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>

namespace quib {

// The 32-bit millisecond timer both programs run on. It wraps after about
// 49.7 days, so intervals are always taken with ElapsedMs, whose unsigned
// subtraction stays right across the wrap.
std::uint32_t MonotonicMilliseconds();

constexpr std::uint32_t ElapsedMs(std::uint32_t now, std::uint32_t since) {
    return now - since;
}

// A moment on the same timer in two resolutions: whole milliseconds, which
// the game, its files and its time-outs count in, and microseconds (also
// wrapping, every 71.6 minutes; take intervals with ElapsedUs) for the
// pauses that whole milliseconds would stretch by up to one.
struct Moment {
    std::uint32_t ms = 0;
    std::uint32_t us = 0;

    // A moment given in whole milliseconds (tests, fixed clocks).
    static constexpr Moment FromMs(std::uint32_t ms) { return {ms, ms * 1000U}; }
};

Moment MonotonicMoment();

constexpr std::uint32_t ElapsedUs(std::uint32_t now, std::uint32_t since) {
    return now - since;
}

// `duration` as the time structure ppoll takes; a negative one counts as 0.
timespec ToTimespec(std::chrono::microseconds duration);

}  // namespace quib
