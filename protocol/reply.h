#pragma once

#include <bitset>
#include <span>
#include <string_view>

#include "protocol/frame.h"

namespace quib::protocol {

// What the player program reports in a normal reply.
struct ReplyContent {
    // Sent (cut to 50 bytes) only when the server asked for it.
    bool hostNameRequested = false;
    std::string_view hostName;
    // Windows virtual-key codes that are down; codes 6 .. 254 are reported,
    // and only while the program's window is in the foreground.
    std::bitset<256> keysDown;
    bool foreground = false;
};

inline constexpr int kFirstReportedKey = 6;
inline constexpr int kLastReportedKey = 254;

// The reply to a good frame: message 30, then message 35 when the host name
// was asked for, then one message 50 per key that is down, in ascending key
// order. Returns the finished frame in `buffer`.
std::span<const std::uint8_t> BuildReply(SendBuffer& buffer, const ReplyContent& content);

// The whole reply to a frame that failed its checks or a message: the
// 14-byte frame holding message 254 alone.
std::span<const std::uint8_t> BuildBadFrameReport(SendBuffer& buffer);

}  // namespace quib::protocol
