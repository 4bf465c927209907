#pragma once

// Where a text line has ink: the columns of an area that hold a pixel far
// from the area's background. Enough to tell a line of text from a picture
// or from a few letters, without knowing the font.

#include "testing/e2e/screenshot.h"

namespace quib::e2e {

struct TextInk {
    int columns = 0;      // columns with ink
    int runs = 0;         // groups of neighbouring ink columns: letters, mostly
    int lastColumn = -1;  // right-most ink column, from the area's left edge
};

TextInk InkOf(const Screenshot& shot, const Rect& area);

}  // namespace quib::e2e
