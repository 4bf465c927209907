#pragma once

#include <cstdint>

namespace quib::server {

class Engine;

// The end of a round, once both players have ended it and their boards have
// been opened: the judgement, the result shown to both players and the
// round's bookkeeping. Runs on the network thread inside GameStep.

// Judges where the two figures stand, shows "Gewonnen!" or "Verloren!" with
// what comes next, logs the result and records the round (RecordRound).
void JudgeAndRecordRound(Engine& engine, std::uint32_t now);

// Adds the judged round to the game record, writes the round's files and
// updates the statistics. A round whose file cannot be written still counts
// everywhere except in the game and subject files.
void RecordRound(Engine& engine, std::uint32_t now);

// Adds a round (won 1 or 0) to the server statistics, at seat 0's level, and
// gives both players their new score line.
void UpdateStatistics(Engine& engine, std::int32_t won, std::int32_t durationMs);

}  // namespace quib::server
