#pragma once

// Frames: how every exchange between server and player program is packed.
//
//   offset 0           4              8                           L-4          L
//          +-----------+--------------+---------------------------+------------+
//          | magic     | frame length | message | message | ...   | check value|
//          | FE FE FE FE| L (u32 LE)  |                           | CRC-32 LE  |
//          +-----------+--------------+---------------------------+------------+
//   The check value is the CRC-32 of bytes 0 .. L-5 (magic and length included).
//   14 <= L <= 65,536.
//
//   message:  +------+--------+-------------------------------+
//             | type | length | body: length - 2 bytes        |
//             | u8   | u8 >= 2| fields packed, little-endian  |
//             +------+--------+-------------------------------+
//
// The smallest frame, message 30 alone:
//   FE FE FE FE 0E 00 00 00 1E 02 2B B4 DE 6D
//
// Exactly one frame is in flight per connection: the server sends a frame,
// the player program answers it with exactly one frame. Nothing here touches
// a socket; these are pure functions over the endpoint's two fixed buffers.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/bytes.h"

namespace quib::protocol {

inline constexpr std::size_t kBufferSize = 65536;
inline constexpr std::uint32_t kFrameMagic = 0xFEFEFEFE;
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kCheckSize = 4;
inline constexpr std::size_t kMinFrameSize = kHeaderSize + 2 + kCheckSize;  // 14
inline constexpr std::size_t kMaxMessageSize = 255;
inline constexpr std::size_t kMaxBodySize = kMaxMessageSize - 2;  // 253
// A frame is parsed up to and including its 32,763rd message.
inline constexpr std::size_t kMaxMessagesPerFrame = 32763;

// The endpoint's send buffer: allocated once, reused for every frame. A frame
// is started, messages are appended at the current length, and finishing
// writes the header (which needs the final length) and the check value.
class SendBuffer {
  public:
    // Current length := 8, the room for the header.
    void StartFrame() {
        length_ = kHeaderSize;
        open_ = true;
    }

    // Appends one message at the current length. False, leaving the buffer as
    // it was, when no frame is started, the body exceeds 253 bytes, or the
    // message and the check value would no longer fit into the buffer.
    bool Append(std::uint8_t type, std::span<const std::uint8_t> body);

    // Writes magic, frame length and check value and returns the finished
    // frame. Without a started frame it changes nothing.
    std::span<const std::uint8_t> FinishFrame();

    // The bytes built so far (the finished frame after FinishFrame).
    std::span<const std::uint8_t> bytes() const { return {bytes_.data(), length_}; }
    std::size_t length() const { return length_; }

  private:
    std::array<std::uint8_t, kBufferSize> bytes_{};
    std::size_t length_ = 0;
    bool open_ = false;  // a frame is started and not finished yet
};

enum class FrameCheck {
    Good,
    TooShort,       // fewer than 14 bytes
    BadMagic,       // bytes 0..3 are not FE FE FE FE
    BadLength,      // length field differs from the bytes received
    BadCheckValue,  // CRC-32 does not match
};

// The four checks, in this order; the first that fails decides.
FrameCheck CheckFrame(std::span<const std::uint8_t> received);

// A message handler: called with the type code and the body of each message;
// false when the type is unknown or the message cannot be executed, which
// ends the parse with the frame bad.
template <typename H>
concept MessageHandler = requires(H handler, std::uint8_t type,
                                  std::span<const std::uint8_t> body) {
    { handler(type, body) } -> std::convertible_to<bool>;
};

struct ParseResult {
    bool good = false;         // false: the parse stopped at a bad message
    std::size_t executed = 0;  // messages whose handler ran and succeeded
};

// Walks the messages of a frame that passed CheckFrame and hands each to the
// handler in order. Messages executed before a stop keep their effect. The
// parse stops (bad) at a length byte below 2, at a message that would run into
// the check value, at a handler failure, or after the 32,763rd message.
template <MessageHandler Handler>
ParseResult ParseMessages(std::span<const std::uint8_t> frame, Handler&& handler) {
    ParseResult result;
    if (frame.size() < kMinFrameSize) {
        return result;
    }
    const std::size_t end = frame.size() - kCheckSize;
    std::size_t position = kHeaderSize;
    for (;;) {
        const std::uint8_t type = frame[position];
        const std::size_t length = frame[position + 1];
        if (length < 2 || position + length > end) {
            return result;
        }
        if (!handler(type, frame.subspan(position + 2, length - 2))) {
            return result;
        }
        ++result.executed;
        position += length;
        if (position >= end) {
            result.good = true;
            return result;
        }
        if (result.executed >= kMaxMessagesPerFrame) {
            return result;
        }
    }
}

// CheckFrame and ParseMessages together: true when the frame is good and
// every message in it was executed.
template <MessageHandler Handler>
bool ExecuteFrame(std::span<const std::uint8_t> received, Handler&& handler) {
    return CheckFrame(received) == FrameCheck::Good &&
           ParseMessages(received, std::forward<Handler>(handler)).good;
}

}  // namespace quib::protocol
