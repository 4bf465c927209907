// Taking in a player program's reply: its keys and its host name.

#include "common/visible_text.h"
#include "protocol/messages.h"
#include "server/engine/engine.h"

namespace quib::server {

void Engine::ProcessReply(int seat) {
    // The table holds exactly the keys of the latest reply; a reply that
    // fails its checks reports none.
    keyTable[seat].fill(0);
    const protocol::FrameReceiver& receiver = links[seat].receiver;
    if (receiver.status() != protocol::FrameReceiver::Status::Complete) {
        return;
    }
    const auto frame = receiver.bytes();
    if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
        return;
    }
    protocol::ParseMessages(frame, [this, seat](std::uint8_t type, auto body) {
        return ExecuteReplyMessage(seat, type, body);
    });
}

// False ends the parse: an unknown type, or a message too short for its
// fields.
bool Engine::ExecuteReplyMessage(int seat, std::uint8_t type, std::span<const std::uint8_t> body) {
    using protocol::ClientMessage;
    switch (static_cast<ClientMessage>(type)) {
        case ClientMessage::ReplyStart:
        case ClientMessage::BadFrameReport:
            return true;
        case ClientMessage::KeyDown: {
            protocol::KeyDown key;
            if (!protocol::Parse(body, &key)) {
                return false;
            }
            keyTable[seat][key.key] = key.value;
            return true;
        }
        case ClientMessage::HostName: {
            protocol::HostName host;
            if (!protocol::Parse(body, &host)) {
                return false;
            }
            // Blanked here, where the name comes in, so that whatever shows
            // it shows the same one-line text.
            ShowSeatLines(seat, links[seat].peerAddress, BlankControls(host.name.value));
            return true;
        }
    }
    return false;
}

}  // namespace quib::server
