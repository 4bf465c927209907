#include "protocol/crc32.h"

#include <zlib.h>

namespace quib::protocol {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    // Frames are at most 64 KiB, so one call with a uInt length always covers them.
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace quib::protocol
