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
//   - fewer bytes than the length field says: wait for more, as long as no
//     more than kCompletionLimitMs pass without a byte; then what arrived is
//     bad;
//   - exactly the length: a frame, ready for CheckFrame;
//   - more bytes than the length: bad (the exchange never sends two frames at
//     once, so the extra bytes are garbage or a broken peer).
// A finished frame (Complete or Bad) stays in the buffer until Clear().
//
// A frame that ran out of time after its header had come in still has bytes
// on the way; its length field says how many. They are skipped when they
// arrive, however late and in however many reads, so that the one frame is
// answered once and its tail is not taken for the next frame. A frame whose
// header was never valid has no length to go by: whatever follows it is
// taken as a new frame.
class FrameReceiver {
  public:
    enum class Status { Empty, Incomplete, Complete, Bad };

    // Counted from the last byte, since a frame that keeps arriving is alive
    // however slowly it comes. One lost TCP segment holds up the rest of a
    // frame for at least the retransmission time-out (200 ms minimum on
    // Linux, doubling with each further loss); 2 s covers three losses of the
    // same segment in a row (200 + 400 + 800 ms) with room to spare, and a
    // link silent for longer than that in the middle of a frame is broken
    // rather than slow.
    static constexpr std::uint32_t kCompletionLimitMs = 2000;

    // Where the next read goes: the free rest of the buffer. Empty while a
    // finished frame waits to be cleared.
    std::span<std::uint8_t> FreeSpace();

    // Accounts for `count` bytes just read into FreeSpace() at time `nowMs`.
    Status Received(std::size_t count, std::uint32_t nowMs);

    // Called on every pass: an unfinished frame that has received nothing for
    // the limit turns bad.
    Status Expire(std::uint32_t nowMs);

    // How long a waiting loop may sleep before Expire has something to do:
    // the milliseconds until an unfinished frame turns bad (0 when it is
    // due), or -1 when no frame is unfinished.
    int MsUntilExpiry(std::uint32_t nowMs) const;

    // The bytes of the current frame, finished or not.
    std::span<const std::uint8_t> bytes() const { return {buffer_.data(), length_}; }
    Status status() const { return status_; }

    // Forgets the current frame; the next read starts a new one, once the
    // rest of a frame that ran out of time has been skipped.
    void Clear() {
        length_ = 0;
        status_ = Status::Empty;
    }

    // Forgets everything, the bytes still to skip included: for a new
    // connection, which owes nothing of the old one's frames.
    void Reset() {
        Clear();
        toSkip_ = 0;
    }

  private:
    Status Classify() const;
    // Drops the first bytes of a read that still belong to a frame given up
    // earlier; returns how many of the `count` bytes are left.
    std::size_t SkipOwedBytes(std::size_t count);

    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t length_ = 0;
    Status status_ = Status::Empty;
    std::uint32_t lastByteMs_ = 0;
    // Bytes of a frame given up after its header that have not arrived yet.
    std::size_t toSkip_ = 0;
};

}  // namespace quib::protocol
