#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "server/game/seat_record.h"

namespace quib::server {

// What happened in a round, as LogRoundEvent is told.
enum RoundEventKind : std::int32_t {
    RoundStartEvent = 1,  // both players pressed space; code and seat -1
    KeyEvent = 2,         // an accepted key: code = virtual-key code
    PositionEvent = 3,    // a figure reached its target: code = cell index
};

// The running round: set up by BeginRoundRecord, its event lines appended by
// LogRoundEvent, ended and judged at the round end, written as the round
// file log/<fileName>. Part of the Game.
struct RoundRecord {
    std::string fileName;       // "r" + six digits + ".csv"; empty when no number is free
    std::uint32_t startMs = 0;  // millisecond timer at the set-up
    std::uint32_t endMs = 0;    // millisecond timer when both players had ended it
    std::int32_t won = -1;      // -1 until judged, then 1 or 0
    std::array<std::int32_t, kSeats> moves{};  // accepted arrow moves per seat
    // The round file's event lines in order, without line ends:
    // ms since set-up; the same as hh:mm:ss; seat + 1 (0 for the start); kind; information.
    std::vector<std::string> events;
};

}  // namespace quib::server
