// The frame a seat is sent 25 ms after each reply.

#include "protocol/messages.h"
#include "server/engine/engine.h"

namespace quib::server {

// Every update frame begins with message 30. The screen composition appends
// the seat's changed texts and drawing here; until it exists, the update
// frame carries message 30 alone, which keeps the exchange (and with it the
// key reports and the connection graph) running.
void Engine::BuildUpdateFrame(int seat) {
    protocol::SendBuffer& sender = links[seat].sender;
    sender.StartFrame();
    protocol::Append(sender, protocol::FrameStart{});
}

}  // namespace quib::server
