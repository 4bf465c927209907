#include "testing/e2e/board_reader.h"

#include <algorithm>
#include <cstdlib>

namespace quib::e2e {
namespace {

// Sample points inside one cell, in fractions of the board side from the
// cell's corner: four near the corners, clear of the cross and of a figure
// standing in the middle, and the centre.
constexpr double kSamples[5][2] = {
    {0.03, 0.03}, {0.47, 0.03}, {0.03, 0.47}, {0.47, 0.47}, {0.25, 0.25}};
// The grey cross is a line of a pixel or two at the middle of each side;
// pixels that close to it say nothing about the figure.
constexpr int kCrossMargin = 3;
// Anti-aliased edges and the scaled figure differ by more than this.
constexpr int kFigureTolerance = 8;
constexpr int kMinFigurePixels = 20;

double CellOriginX(int cell) {
    return 0.5 * (cell % 2);
}
double CellOriginY(int cell) {
    return 0.5 * (cell / 2);
}

}  // namespace

std::optional<int> StimulusAt(const Screenshot& shot, int x, int y) {
    const Rgb pixel = shot.At(x, y);
    for (int i = 0; i < static_cast<int>(kStimulusColours.size()); ++i) {
        if (Near(pixel, kStimulusColours[static_cast<std::size_t>(i)])) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<Board> ReadBoard(const Screenshot& shot, const BoardArea& area) {
    Board board{};
    for (int cell = 0; cell < 4; ++cell) {
        std::array<int, 4> votes{};
        for (const auto& sample : kSamples) {
            const auto found = StimulusAt(shot, area.PixelX(CellOriginX(cell) + sample[0]),
                                          area.PixelY(CellOriginY(cell) + sample[1]));
            if (found) {
                ++votes[static_cast<std::size_t>(*found)];
            }
        }
        const auto best = std::max_element(votes.begin(), votes.end());
        // Four of five: a figure may hide the centre, nothing else may differ.
        if (*best < 4) {
            return std::nullopt;
        }
        board[static_cast<std::size_t>(cell)] = static_cast<int>(best - votes.begin());
    }
    return board;
}

bool IsCleared(const Screenshot& shot, const BoardArea& area) {
    for (int cell = 0; cell < 4; ++cell) {
        const Rgb centre =
            shot.At(area.PixelX(CellOriginX(cell) + 0.25), area.PixelY(CellOriginY(cell) + 0.25));
        if (!Near(centre, Rgb{0, 0, 0})) {
            return false;
        }
    }
    return true;
}

std::optional<Rect> FigureBox(const Screenshot& shot, const BoardArea& area, const Board& board) {
    const int half = area.side / 2;
    int left = area.side, top = area.side, right = -1, bottom = -1, count = 0;
    for (int y = 0; y < area.side; ++y) {
        for (int x = 0; x < area.side; ++x) {
            if (std::abs(x - half) <= kCrossMargin || std::abs(y - half) <= kCrossMargin) {
                continue;
            }
            const int cell = (x >= half ? 1 : 0) + (y >= half ? 2 : 0);
            const Rgb expected = kStimulusColours[static_cast<std::size_t>(board[cell])];
            if (Near(shot.At(area.x + x, area.y + y), expected, kFigureTolerance)) {
                continue;
            }
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            ++count;
        }
    }
    if (count < kMinFigurePixels) {
        return std::nullopt;
    }
    return Rect{left, top, right - left + 1, bottom - top + 1};
}

int CellOf(const Rect& box, int side) {
    const int centreX = box.x + box.width / 2;
    const int centreY = box.y + box.height / 2;
    return (centreX >= side / 2 ? 1 : 0) + (centreY >= side / 2 ? 2 : 0);
}

}  // namespace quib::e2e
