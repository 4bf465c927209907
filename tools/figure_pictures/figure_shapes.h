#pragma once

#include <QColor>
#include <QPainterPath>

#include <string>
#include <vector>

namespace quib::tools {

// Figures are designed in a square of 100 × 100 units, y downwards, and
// scaled to the picture size when drawn. Each stays about six units clear of
// the edges so that its outline and shadow fit and the corners stay empty.
inline constexpr double kDesignSide = 100.0;

// What one figure is made of. The shapes are deliberately unlike the board's
// stimuli (circles, right triangles, squares on a corner, pentagons in the
// four pale stimulus colours and grey): figures are tokens that stand on a
// cell, and must never be read as part of the cell's content.
struct FigureDesign {
    std::string stem;           // file name without the variant digit and extension
    QColor fill;                // strong colour, far from the pale stimulus colours
    QPainterPath body;          // the silhouette, filled and outlined
    QPainterPath marks;         // filled in the outline colour on top (a face's eyes)
    QPainterPath strokedMarks;  // drawn as thick lines in the outline colour (a smile)
};

// The figure set in the order the pictures are written: a pawn, a star, a
// heart and a smiling face.
std::vector<FigureDesign> FigureDesigns();

}  // namespace quib::tools
