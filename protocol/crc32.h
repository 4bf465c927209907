#pragma once

#include <cstdint>
#include <span>

namespace quib::protocol {

// The frame check value: the standard reflected CRC-32 (polynomial 0xEDB88320,
// preset 0xFFFFFFFF, final complement), as zlib computes it.
// Crc32("123456789") == 0xCBF43926.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace quib::protocol
