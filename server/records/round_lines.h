#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/records/finished_round.h"

namespace quib::server {

// One event line of a round file, without line end: ms since the round's
// set-up; the same as hh:mm:ss; seat + 1 (0 for the round start); kind;
// information.
std::string RoundEventLine(std::uint32_t now, std::uint32_t roundStartMs, int seatNumber,
                           std::string_view kind, std::string_view information);

// Where a game stands when a position line is written.
struct PositionMoment {
    std::int32_t count = 0;  // running number of the line within the game
    std::uint32_t now = 0;
    std::uint32_t gameStartMs = 0;
    std::uint32_t roundStartMs = 0;
    std::int32_t round = 0;    // number of the running round, from 1
    std::int32_t prevWon = 0;  // result of the previous round
    std::int32_t streak = 0;   // won rounds in a row before this one
};

// One line of the position file, 17 fields, ended by LF: where the game, the
// round and both figures stand, both boards, and for a round start the cells
// the players could agree on (`matches`, else empty).
std::string PositionLine(
    const PositionMoment& moment,
    const std::array<std::array<std::string, kRecordedCells>, kRecordedSeats>& stimuli,
    const std::array<std::string, kRecordedSeats>& cellLetters, std::string_view matches);

}  // namespace quib::server
