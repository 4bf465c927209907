#include "common/clock.h"

#include <chrono>

namespace quib {

std::uint32_t MonotonicMilliseconds() {
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count();
    return static_cast<std::uint32_t>(ms);  // keeps the low 32 bits: the timer wraps
}

}  // namespace quib
