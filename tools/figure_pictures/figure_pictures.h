#pragma once

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

namespace quib::tools {

// Side of every figure picture in pixels. The server's board is 480 pixels,
// so a figure covers half a cell there and a little less on a player's
// screen, which scales pictures down with the window.
inline constexpr int kFigureSide = 120;

// One picture file of the figure set: its name in grafik/ and its pixels.
struct FigurePicture {
    std::string fileName;  // e.g. "stern0.png" or its partner variant "stern1.png"
    QImage image;          // kFigureSide square, ARGB32, transparent background
};

// Every figure of the set, each followed by its partner variant: the same
// outline in a pale, hatched fill, so a player tells the partner's figure
// from the own one at a glance. The own picture's name ends in "0" before
// the extension, the partner variant's in "1", which is how both programs
// pair them. Drawing is deterministic: the same build gives the same pixels.
std::vector<FigurePicture> DrawFigurePictures();

// Draws the set and writes each picture as a PNG into `folder`, creating the
// folder when it is missing. Every file is replaced as a whole, never left
// half-written. Returns false with a reason in *error on the first failure.
bool WriteFigurePictures(const std::filesystem::path& folder, std::string* error);

}  // namespace quib::tools
