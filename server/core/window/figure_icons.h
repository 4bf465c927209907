#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "common/picture_cache.h"

namespace quib::server {

// A figure picture offered in the experimenter's figure lists.
struct FigureEntry {
    std::string fileName;  // with its extension, as found in grafik/
    QImage icon;           // 16 x 16; transparent when the picture cannot be loaded
    bool usable = false;   // the picture loads: a game can show it
};

// The figure pictures of `grafikDir`: every regular file "*.png" whose name
// does not end in "1" before the extension (those are the partner variants
// of the figures), sorted by name, each with its list icon: the picture
// scaled so that its longer side is 16 pixels, centred on a transparent
// 16 x 16 image. The pictures are decoded through `pictures`, so that the
// game later finds them decoded; a picture larger than
// kMaxFigurePictureSide counts as one that cannot be loaded.
std::vector<FigureEntry> ListFigurePictures(const std::filesystem::path& grafikDir,
                                            PictureCache& pictures);

QImage MakeFigureIcon(const QImage& picture);

}  // namespace quib::server
