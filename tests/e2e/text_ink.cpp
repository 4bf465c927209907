#include "tests/e2e/text_ink.h"

#include <cstdlib>

namespace quib::e2e {
namespace {

// Anti-aliased edges and frame shading stay below this; the strokes of a
// letter in any text colour that is readable on its background do not.
constexpr int kInkDistance = 150;

bool IsInk(const Rgb& pixel, const Rgb& background) {
    return std::abs(pixel.r - background.r) + std::abs(pixel.g - background.g) +
               std::abs(pixel.b - background.b) >
           kInkDistance;
}

}  // namespace

TextInk InkOf(const Screenshot& shot, const Rect& area) {
    const Rgb background = shot.Dominant(area);
    TextInk ink;
    bool inRun = false;
    for (int x = 0; x < area.width; ++x) {
        bool column = false;
        for (int y = 0; y < area.height && !column; ++y) {
            column = IsInk(shot.At(area.x + x, area.y + y), background);
        }
        if (column) {
            ++ink.columns;
            ink.lastColumn = x;
            ink.runs += inRun ? 0 : 1;
        }
        inRun = column;
    }
    return ink;
}

}  // namespace quib::e2e
