#pragma once

#include "server/game/seat_record.h"

namespace quib::server {

// Backgrounds of a player's status line, which tell the player at a glance
// where the game stands.
inline constexpr Colour kIdleColour = Rgb(150, 150, 255);      // no game
inline constexpr Colour kNotReadyColour = Rgb(255, 200, 200);  // not ready, or lost
inline constexpr Colour kReadyColour = Rgb(200, 255, 200);     // ready, or won
inline constexpr Colour kRunningColour = Rgb(230, 230, 230);   // a round is being played

}  // namespace quib::server
