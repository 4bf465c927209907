#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/frame.h"

namespace quib::protocol {

// Takes one frame out of the byte stream of a connection.
//
// TCP may hand a frame over in several reads, so the receiver keeps the bytes
// of an unfinished frame and completes it from the following reads, guided by
// the length field:
//   - as soon as the first bytes differ from the magic, or 8 bytes are in and
//     the length field is below 14 or above 65,536, the frame is bad at once;
//   - fewer bytes than the length field says: wait for more, but at most
//     kCompletionLimitMs from the first byte; then what arrived is bad;
//   - exactly the length: a frame, ready for CheckFrame;
//   - more bytes than the length: bad (the exchange never sends two frames at
//     once, so the extra bytes are garbage or a broken peer).
// A finished frame (Complete or Bad) stays in the buffer until Clear().
class FrameReceiver {
  public:
    enum class Status { Empty, Incomplete, Complete, Bad };

    static constexpr std::uint32_t kCompletionLimitMs = 100;

    // Where the next read goes: the free rest of the buffer. Empty while a
    // finished frame waits to be cleared.
    std::span<std::uint8_t> FreeSpace();

    // Accounts for `count` bytes just read into FreeSpace() at time `nowMs`.
    Status Received(std::size_t count, std::uint32_t nowMs);

    // Called on every pass: an unfinished frame older than the limit turns bad.
    Status Expire(std::uint32_t nowMs);

    // How long a waiting loop may sleep before Expire has something to do:
    // the milliseconds until an unfinished frame turns bad (0 when it is
    // due), or -1 when no frame is unfinished.
    int MsUntilExpiry(std::uint32_t nowMs) const;

    // The bytes of the current frame, finished or not.
    std::span<const std::uint8_t> bytes() const { return {buffer_.data(), length_}; }
    Status status() const { return status_; }

    // Forgets the current frame; the next read starts a new one.
    void Clear() {
        length_ = 0;
        status_ = Status::Empty;
    }

  private:
    Status Classify() const;

    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t length_ = 0;
    Status status_ = Status::Empty;
    std::uint32_t firstByteMs_ = 0;
};

}  // namespace quib::protocol
