#pragma once

// The figure pictures a run puts into each program's grafik/ folder: the
// project's own when the checkout has them, else simple ones drawn here.

#include <filesystem>
#include <string>
#include <vector>

namespace quib::e2e {

// Copies every "*.png" of `source` into `target`; when `source` has none,
// draws round figures there instead: figur0.png and figur2.png, and
// figur1.png, the partner variant of both (a variant's name has "1" in
// place of the character before the extension). False when nothing could
// be put.
bool PutFigurePictures(const std::filesystem::path& source, const std::filesystem::path& target);

// The names the figure lists offer, in their order: every picture whose
// name does not end in "1" before the extension, sorted.
std::vector<std::string> ListedFigures(const std::filesystem::path& grafik);

}  // namespace quib::e2e
