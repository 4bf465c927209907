#include "protocol/frame.h"

#include <algorithm>

#include "protocol/crc32.h"

namespace quib::protocol {

bool SendBuffer::Append(std::uint8_t type, std::span<const std::uint8_t> body) {
    if (!open_ || body.size() > kMaxBodySize) {
        return false;
    }
    const std::size_t messageLength = body.size() + 2;
    if (length_ + messageLength + kCheckSize > kBufferSize) {
        return false;
    }
    bytes_[length_] = type;
    bytes_[length_ + 1] = static_cast<std::uint8_t>(messageLength);
    std::copy(body.begin(), body.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(length_ + 2));
    length_ += messageLength;
    return true;
}

std::span<const std::uint8_t> SendBuffer::FinishFrame() {
    if (!open_) {
        return bytes();
    }
    open_ = false;
    StoreU32(&bytes_[0], kFrameMagic);
    StoreU32(&bytes_[4], static_cast<std::uint32_t>(length_ + kCheckSize));
    StoreU32(&bytes_[length_], Crc32({bytes_.data(), length_}));
    length_ += kCheckSize;
    return bytes();
}

FrameCheck CheckFrame(std::span<const std::uint8_t> received) {
    if (received.size() < kMinFrameSize) {
        return FrameCheck::TooShort;
    }
    if (LoadU32(received.data()) != kFrameMagic) {
        return FrameCheck::BadMagic;
    }
    if (LoadU32(received.data() + 4) != received.size()) {
        return FrameCheck::BadLength;
    }
    const std::size_t checked = received.size() - kCheckSize;
    if (Crc32(received.first(checked)) != LoadU32(received.data() + checked)) {
        return FrameCheck::BadCheckValue;
    }
    return FrameCheck::Good;
}

}  // namespace quib::protocol
