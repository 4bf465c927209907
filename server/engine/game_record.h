#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "server/core/time_format.h"

namespace quib::server {

class Engine;

// One game: from the experimenter's start toggle to the next start. Its
// counters grow with every round; the game protocols log/<fileName> and
// log2/<fileName> are written from it.
struct GameRecord {
    std::int32_t number = 0;    // -1 when every game number is taken
    std::string fileName;       // "g" + six digits + ".csv"; empty when no number is free
    std::int32_t points = 0;    // rounds won in this game
    std::int32_t best = 0;      // longest run of won rounds in this game
    LocalTime startDate;        // local date and time at the start
    std::uint32_t startMs = 0;  // millisecond timer at the start
    std::int32_t rounds = 0;    // rounds played
    std::int32_t activeMs = 0;  // sum of the round durations
    std::int32_t prevWon = 0;   // result of the previous round, 0 or 1
    std::int32_t streak = 0;    // current run of won rounds
};

// Starts a new game record in engine.gameRecord: the smallest game number
// whose file is free in workDir/log, the start time, every counter 0, and an
// empty position log.
//
// Called by the main thread, holding state.lock, when the start toggle starts
// a game. The number is only looked up here; the file appears when the first
// round has been recorded, so two games started before that receive the same
// number and the second continues the first one's files.
void BeginGameRecord(Engine& engine, const std::filesystem::path& workDir, std::uint32_t nowMs,
                     const LocalTime& now);

}  // namespace quib::server
