// The game's share of every pass of the network thread.

#include "server/engine/engine.h"

namespace quib::server {

// The round set-up, the processing of the players' moves and the judgement
// of a round run here, once per pass, after the socket event and before the
// seats are serviced, reading the key table the replies filled. Until that
// game logic is built, a pass carries no game work: the seats' exchanges and
// connection graphs run on their own.
void Engine::GameStep(std::uint32_t /*now*/) {}

}  // namespace quib::server
