#pragma once

#include <cstdint>
#include <string>

#include "protocol/frame.h"
#include "protocol/receiver.h"

namespace quib::server {

// Where a seat stands in the exchange with its player program.
enum ConnectionState : std::int32_t {
    LinkFree = 0,           // no connection on the seat
    LinkGreeting = 1,       // just accepted; the host-name request goes out next
    LinkIdle = 2,           // reply taken in; the next frame goes out 25 ms after it
    LinkAwaitingReply = 3,  // a frame is out; nothing more is sent until a reply is in
};

// The connection data of one seat. The network thread's (docs/threads.md);
// the window learns only whether the seat is connected, through the door.
struct SeatLink {
    int connection = -1;  // -1: no connection on this seat
    // Time of the last send, the last reply taken in or the last time-out
    // mark (millisecond timer, wrapping).
    std::uint32_t lastEventTime = 0;
    // When the last reply was taken in (microsecond timer, wrapping): the
    // next frame goes out 25 ms after it, to the microsecond.
    std::uint32_t replyTakenUs = 0;
    std::int32_t connectionState = LinkFree;
    // The receive side: TCP may split a reply over several reads, so the
    // receiver completes it before it counts; a finished reply (Complete or
    // Bad) waits here until the seat's service takes it in.
    protocol::FrameReceiver receiver;
    protocol::SendBuffer sender;
    std::string peerAddress;  // dotted IPv4 address of the connection
    // The address of the computer last seen on this seat, kept across
    // disconnects so that it gets its seat back.
    std::string rememberedAddress;
};

// A finished reply, good or not, waits to be taken in.
inline bool ReplyWaiting(const SeatLink& link) {
    const auto status = link.receiver.status();
    return status == protocol::FrameReceiver::Status::Complete ||
           status == protocol::FrameReceiver::Status::Bad;
}

}  // namespace quib::server
