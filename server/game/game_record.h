#pragma once

#include <cstdint>
#include <string>

#include "server/core/time_format.h"

namespace quib::server {

// One game: from the experimenter's start toggle to the next start. Its
// counters grow with every round; the game file log/<fileName> and the
// position file log2/<fileName> are written from it. Begun by Game::BeginGame.
// The number is only looked up then; the file appears when the first round
// has been recorded, so two games started before that receive the same
// number and the second continues the first one's files.
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

}  // namespace quib::server
