#pragma once

// Reading a level-1 board ("Farben") off the screen: four cells, each filled
// with one of the four stimulus colours, a grey cross between them, and
// perhaps a figure standing on one cell.

#include <array>
#include <optional>
#include <string>

#include "testing/e2e/screenshot.h"

namespace quib::e2e {

// The stimulus colours in the order of the colour table, with their names
// in the files (Windows-1252).
inline constexpr std::array<Rgb, 4> kStimulusColours = {Rgb{255, 100, 100}, Rgb{255, 255, 100},
                                                        Rgb{100, 255, 100}, Rgb{100, 100, 255}};
inline const std::array<std::string, 4> kColourWords = {"rot", "gelb", "gr\xFCn", "blau"};

// Colour table index of each cell: 0 top left, 1 top right, 2 bottom left,
// 3 bottom right.
using Board = std::array<int, 4>;

// Where a board lies in a screenshot: top-left corner and side in pixels.
struct BoardArea {
    int x = 0;
    int y = 0;
    int side = 0;
    // The pixel at (fx, fy), given in fractions of the side.
    int PixelX(double fx) const { return x + static_cast<int>(fx * side); }
    int PixelY(double fy) const { return y + static_cast<int>(fy * side); }
};

// The stimulus colour at one pixel, if it shows one.
std::optional<int> StimulusAt(const Screenshot& shot, int x, int y);

// Reads the four cells from points near their corners and centres; a figure
// standing on a cell hides at most its centre. Nothing when any cell does
// not show a stimulus colour (board not drawn yet, or cleared).
std::optional<Board> ReadBoard(const Screenshot& shot, const BoardArea& area);

// True when the board shows no stimulus at all: every cell centre is black.
bool IsCleared(const Screenshot& shot, const BoardArea& area);

// The bounding box of the pixels that are not the board's own (the
// figure), in board pixels; nothing when no figure is seen.
std::optional<Rect> FigureBox(const Screenshot& shot, const BoardArea& area, const Board& board);

// Cell index 0 .. 3 whose centre is nearest to the centre of `box`.
int CellOf(const Rect& box, int side);

}  // namespace quib::e2e
