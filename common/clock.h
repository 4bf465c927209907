#pragma once

#include <cstdint>

namespace quib {

// The 32-bit millisecond timer both programs run on. It wraps after about
// 49.7 days, so intervals are always taken with ElapsedMs, whose unsigned
// subtraction stays right across the wrap.
std::uint32_t MonotonicMilliseconds();

constexpr std::uint32_t ElapsedMs(std::uint32_t now, std::uint32_t since) {
    return now - since;
}

}  // namespace quib
