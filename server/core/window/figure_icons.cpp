#include "server/core/window/figure_icons.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "protocol/messages.h"

namespace quib::server {

namespace {

constexpr int kIconSide = 16;

bool IsFigurePictureName(const std::string& name) {
    constexpr std::string_view kExtension = ".png";
    if (name.size() <= kExtension.size()) {
        return false;
    }
    std::string extension = name.substr(name.size() - kExtension.size());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // A "1" just before the extension marks the partner variant of a figure.
    return extension == kExtension && name[name.size() - kExtension.size() - 1] != '1';
}

QImage TransparentIcon() {
    QImage icon(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    return icon;
}

}  // namespace

QImage MakeFigureIcon(const QImage& picture) {
    QImage icon = TransparentIcon();
    if (picture.isNull()) {
        return icon;
    }
    const int longer = std::max(picture.width(), picture.height());
    const int shorter = std::min(picture.width(), picture.height());
    const int scaledShorter = std::max(1, shorter * kIconSide / longer);
    const bool wide = picture.width() >= picture.height();
    const int width = wide ? kIconSide : scaledShorter;
    const int height = wide ? scaledShorter : kIconSide;
    const QImage scaled =
        picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&icon);
    painter.drawImage(static_cast<int>(std::lround((kIconSide - width) * 0.5)),
                      static_cast<int>(std::lround((kIconSide - height) * 0.5)), scaled);
    return icon;
}

std::vector<FigureEntry> ListFigurePictures(const std::filesystem::path& grafikDir,
                                            PictureCache& pictures) {
    std::vector<FigureEntry> figures;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(grafikDir, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(error) || !IsFigurePictureName(name)) {
            continue;
        }
        if (name.size() > protocol::kMaxPictureName) {
            figures.push_back({name, MakeFigureIcon(QImage()), false, FigureProblem::NameTooLong});
            continue;
        }
        // At the mirror's own size, the one the game draws it at first.
        const QImage picture = pictures.Picture(entry.path(), 1.0f);
        const bool loads = !picture.isNull();
        figures.push_back({name, MakeFigureIcon(picture), loads,
                           loads ? FigureProblem::None : FigureProblem::NotLoadable});
    }
    std::sort(figures.begin(), figures.end(),
              [](const FigureEntry& a, const FigureEntry& b) { return a.fileName < b.fileName; });
    return figures;
}

}  // namespace quib::server
