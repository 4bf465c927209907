#include "testing/e2e/figure_pictures.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <system_error>

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kSide = 96;

bool IsPicture(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) && entry.path().extension() == ".png";
}

// A filled disc with a dark rim on a transparent ground: nothing like a
// stimulus colour, so it stands out on every cell.
bool DrawFigure(const fs::path& file, const QColor& body) {
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(30, 30, 30), 6));
        painter.setBrush(body);
        painter.drawEllipse(QRectF(8, 8, kSide - 16, kSide - 16));
    }
    return image.save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace

bool PutFigurePictures(const fs::path& source, const fs::path& target) {
    std::error_code error;
    fs::create_directories(target, error);
    bool copied = false;
    for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        if (IsPicture(*it)) {
            std::error_code copyError;
            fs::copy_file(it->path(), target / it->path().filename(),
                          fs::copy_options::overwrite_existing, copyError);
            copied |= !copyError;
        }
    }
    if (copied) {
        return true;
    }
    return DrawFigure(target / "figur0.png", QColor(40, 40, 40)) &&
           DrawFigure(target / "figur1.png", QColor(120, 120, 120)) &&
           DrawFigure(target / "figur2.png", QColor(250, 250, 250));
}

std::vector<std::string> ListedFigures(const fs::path& grafik) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(grafik, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsPicture(*it) && name.size() >= 5 && name[name.size() - 5] != '1') {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quib::e2e
