#pragma once

#include <cstdint>

#include "server/engine/screen_writer.h"
#include "server/game/seat_record.h"

namespace quib::server {

class Game;

// Shapes of the stimuli.
enum Shape : std::int32_t { Circle = 0, Triangle = 1, Square = 2, Pentagon = 3 };

inline constexpr Colour kCrossColour = Rgb(150, 150, 150);
inline constexpr Colour kOutlineColour = Rgb(0, 0, 0);
inline constexpr Colour kFinishedFrameColour = Rgb(120, 255, 120);
// How far a figure moves per update, per step of the speed list.
inline constexpr float kSpeedStep = 0.02f;

// The diagonal shift that makes shapes A and B of a cell touch.
float ContactOffset(std::int32_t shapeA, std::int32_t shapeB);

// One shape inside the box (x, y, w, h), filled in `colour` with a black
// outline.
void DrawShape(ScreenWriter& out, float x, float y, float w, float h, std::int32_t shape,
               Colour colour);

// The board of `board` on the current drawing target, as its level shows it.
void DrawBoard(ScreenWriter& out, const SeatRecord& board);

// Builds the seat's next update frame: message 30, the changed text lines,
// whatever of the boards and figure pictures the player lacks, one animation
// step of the own figure, and, when anything visible changed, both views
// composed and presented, written through `out` (which starts the frame).
// Moving the figure one step on is the game's animation: an arrival is
// recorded as the round's position event. The caller finishes and sends
// the frame, then has the seat's mirror draw it.
void UpdateSeatScreen(Game& game, int seat, ScreenWriter& out, std::uint32_t now);

}  // namespace quib::server
