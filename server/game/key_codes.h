#pragma once

#include <cstdint>

namespace quib::server {

// The Windows virtual-key codes the players' programs report and the game
// acts on; every other code is ignored.
inline constexpr std::int32_t kKeySpace = 32;
inline constexpr std::int32_t kKeyLeft = 37;
inline constexpr std::int32_t kKeyUp = 38;
inline constexpr std::int32_t kKeyRight = 39;
inline constexpr std::int32_t kKeyDown = 40;

inline constexpr bool IsArrowKey(std::int32_t code) {
    return code >= kKeyLeft && code <= kKeyDown;
}

}  // namespace quib::server
