#pragma once

#include <cstdint>
#include <span>

#include "common/drawing.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "server/core/server_state.h"

namespace quib::server {

// Appends the messages of one seat's update frame and performs each of them
// on the seat's mirror at once, from the very bytes that go out, so that the
// experimenter sees exactly what the player is told to draw: drawing messages
// run on the seat's image store at 480 pixels per unit, and the two text
// lines land in the seat's status slots for the main window.
// Network thread only, under stateLock.
class ScreenWriter {
  public:
    ScreenWriter(int seat, protocol::SendBuffer& frame, DrawingExecutor& mirror,
                 ServerState& state);

    template <typename M>
    void Send(const M& message) {
        const std::size_t before = frame_.length();
        if (protocol::Append(frame_, message)) {
            Mirror(frame_.bytes().subspan(before));
        }
    }

    // Message 220 with its position naming the centre of the picture: moved
    // by half the size of the slot's mirror image first.
    void SendCentredImage(std::int8_t slot, float x, float y);

  private:
    void Mirror(std::span<const std::uint8_t> message);
    void MirrorText(int statusSlot, std::span<const std::uint8_t> body);

    int seat_;
    protocol::SendBuffer& frame_;
    DrawingExecutor& mirror_;
    ServerState& state_;
};

}  // namespace quib::server
