#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "common/picture_cache.h"

namespace quib::server {

// Why a game cannot show a figure picture.
enum class FigureProblem {
    None,
    // Longer than the protocol carries (protocol::kMaxPictureName bytes):
    // the players' programs would be sent a cut name and show no figure.
    NameTooLong,
    // Not a PNG that decodes, or larger than kMaxFigurePictureSide.
    NotLoadable,
};

// A figure picture offered in the experimenter's figure lists.
struct FigureEntry {
    std::string fileName;  // with its extension, as found in grafik/
    QImage icon;           // 16 x 16; transparent when the picture is not loaded
    bool usable = false;   // a game can show it: it loads and its name goes over the wire whole
    FigureProblem problem = FigureProblem::NotLoadable;  // None exactly when usable
};

// The figure pictures of `grafikDir`: every regular file "*.png" whose name
// does not end in "1" before the extension (those are the partner variants
// of the figures), sorted by name, each with its list icon: the picture
// scaled so that its longer side is 16 pixels, centred on a transparent
// 16 x 16 image. The pictures are decoded through `pictures`, so that the
// game later finds them decoded; a picture larger than
// kMaxFigurePictureSide counts as one that cannot be loaded. A picture whose
// name is too long for the wire is listed, not decoded, and not usable.
std::vector<FigureEntry> ListFigurePictures(const std::filesystem::path& grafikDir,
                                            PictureCache& pictures);

QImage MakeFigureIcon(const QImage& picture);

}  // namespace quib::server
