#pragma once

// Turns fuzz input into a frame that passes the checks: the magic, length
// and check value are written over the input's first and last bytes, so
// that the fuzzer explores the messages rather than the CRC. The checks
// themselves are frame_fuzz's part.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/bytes.h"
#include "protocol/crc32.h"
#include "protocol/frame.h"

namespace quib::fuzz {

// Empty when the input cannot be a frame (under 14 or over 65,536 bytes).
inline std::vector<std::uint8_t> SealedFrame(std::span<const std::uint8_t> input) {
    if (input.size() < protocol::kMinFrameSize || input.size() > protocol::kBufferSize) {
        return {};
    }
    std::vector<std::uint8_t> frame(input.begin(), input.end());
    protocol::StoreU32(frame.data(), protocol::kFrameMagic);
    protocol::StoreU32(frame.data() + 4, static_cast<std::uint32_t>(frame.size()));
    const std::size_t checked = frame.size() - protocol::kCheckSize;
    protocol::StoreU32(frame.data() + checked, protocol::Crc32({frame.data(), checked}));
    return frame;
}

}  // namespace quib::fuzz
