#include "protocol/reply.h"

#include "protocol/messages.h"

namespace quib::protocol {

std::span<const std::uint8_t> BuildReply(SendBuffer& buffer, const ReplyContent& content) {
    buffer.StartFrame();
    Append(buffer, ReplyStart{});
    if (content.hostNameRequested) {
        Append(buffer, HostName{{content.hostName}});
    }
    if (content.foreground) {
        for (int key = kFirstReportedKey; key <= kLastReportedKey; ++key) {
            if (content.keysDown.test(static_cast<std::size_t>(key))) {
                Append(buffer, KeyDown{static_cast<std::uint8_t>(key), 1});
            }
        }
    }
    return buffer.FinishFrame();
}

std::span<const std::uint8_t> BuildBadFrameReport(SendBuffer& buffer) {
    buffer.StartFrame();
    Append(buffer, BadFrameReport{});
    return buffer.FinishFrame();
}

}  // namespace quib::protocol
