#pragma once

#include <cstdint>

namespace quib::server {

class Game;

// The end of a round, once both players have ended it and their boards have
// been opened: the judgement, the result shown to both players and the
// round's bookkeeping (Game::RecordRound). Runs on the network thread inside
// Game::Step.
void JudgeAndRecordRound(Game& game, std::uint32_t now);

}  // namespace quib::server
