#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace quib::protocol {

// Little-endian field access on raw frame bytes. Callers have checked the
// bounds; these only fix the byte order, whatever the host's is.

inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void StoreU32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

inline float LoadF32(const std::uint8_t* p) {
    return std::bit_cast<float>(LoadU32(p));
}
inline void StoreF32(std::uint8_t* p, float value) {
    StoreU32(p, std::bit_cast<std::uint32_t>(value));
}

}  // namespace quib::protocol
