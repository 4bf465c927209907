#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/frame.h"
#include "protocol/messages.h"
#include "server/core/server_state.h"
#include "server/engine/seat_mirror.h"

namespace quib::server {

// The messages of a seat's frame that its mirror has not drawn yet: bytes
// [from, to) of the seat's send buffer. Empty when from == to.
struct MirrorBacklog {
    std::size_t from = 0;
    std::size_t to = 0;
};

// Appends the messages of one seat's update frame and lets the seat's mirror
// perform the very same bytes, so that the experimenter sees exactly what the
// player is told to draw: drawing messages run on the seat's mirror, and the
// two text lines land in the seat's status slots for the main window.
//
// The mirror runs after the frame is sent (MirrorBacklog, drawn by
// DrawMirrorBacklog), so the player never waits for the server's own copy.
// Only where the frame needs the size of a picture that an earlier message of
// the same frame creates, loads or frees does the mirror catch up at once.
// Network thread only, under stateLock.
class ScreenWriter {
  public:
    ScreenWriter(int seat, protocol::SendBuffer& frame, SeatMirror& mirror, ServerState& state,
                 MirrorBacklog& backlog);

    // Starts the frame in the send buffer; the backlog begins with it.
    void StartFrame();

    template <typename M>
    void Send(const M& message) {
        if (protocol::Append(frame_, message)) {
            backlog_.to = frame_.length();
            sizeMayChange_ = sizeMayChange_ || ChangesPictureSizes(M::kType);
        }
    }

    // Message 220 with its position naming the centre of the picture: moved
    // by half the size of the slot's mirror image first.
    void SendCentredImage(std::int8_t slot, float x, float y);

  private:
    static bool ChangesPictureSizes(protocol::ServerMessage type);
    void CatchUp();

    int seat_;
    protocol::SendBuffer& frame_;
    SeatMirror& mirror_;
    ServerState& state_;
    MirrorBacklog& backlog_;
    bool sizeMayChange_ = false;  // the backlog creates, loads or frees a picture
};

// Performs the backlog's messages on the seat's mirror and empties it.
// `frame` is the seat's send buffer, finished or not.
void DrawMirrorBacklog(int seat, std::span<const std::uint8_t> frame, SeatMirror& mirror,
                       ServerState& state, MirrorBacklog& backlog);

}  // namespace quib::server
