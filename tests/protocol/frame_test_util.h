#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/crc32.h"
#include "protocol/frame.h"

namespace quib::protocol::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(std::span<const std::uint8_t> span) {
    return {span.begin(), span.end()};
}

// Frames raw message bytes (type, length, body ...) with a correct header and
// check value, whatever the messages contain.
inline Bytes FrameOf(const Bytes& messages) {
    Bytes frame(kHeaderSize + messages.size() + kCheckSize);
    std::copy(messages.begin(), messages.end(), frame.begin() + kHeaderSize);
    StoreU32(frame.data(), kFrameMagic);
    StoreU32(frame.data() + 4, static_cast<std::uint32_t>(frame.size()));
    const std::size_t checked = frame.size() - kCheckSize;
    StoreU32(frame.data() + checked, Crc32(std::span(frame).first(checked)));
    return frame;
}

// Recomputes the check value after a test has changed bytes of the frame.
inline void Reseal(Bytes& frame) {
    const std::size_t checked = frame.size() - kCheckSize;
    StoreU32(frame.data() + checked, Crc32(std::span(frame).first(checked)));
}

}  // namespace quib::protocol::testing
