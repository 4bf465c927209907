#include "tools/figure_pictures/figure_pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QPen>

#include <string_view>
#include <system_error>
#include <utility>

#include "common/file_io.h"
#include "tools/figure_pictures/figure_shapes.h"

namespace quib::tools {
namespace {

enum class Variant { Own, Partner };

// Near-black rather than black, so that the outline reads as a drawn edge
// next to the pure black outlines of the board's shapes.
const QColor kOutline(30, 30, 30);
// A soft shadow down and to the right lifts the figure off the cell.
const QColor kShadow(0, 0, 0, 60);
const QPointF kShadowOffset(2.0, 2.5);
// Outline widths in design units: the partner's figure gets the heavier
// edge, which keeps its pale fill visible on every cell colour.
constexpr double kOwnOutline = 3.5;
constexpr double kPartnerOutline = 5.0;
constexpr double kSmileWidth = 4.5;
constexpr double kHatchSpacing = 8.0;
constexpr double kHatchWidth = 2.4;

QColor Pale(const QColor& colour) {
    // A third of the colour on white: clearly the same hue, clearly lighter.
    auto mix = [](int c) { return (c + 2 * 255) / 3; };
    return QColor(mix(colour.red()), mix(colour.green()), mix(colour.blue()));
}

// Diagonal lines in the figure's own colour across its pale fill.
void DrawHatching(QPainter& painter, const FigureDesign& design) {
    painter.save();
    painter.setClipPath(design.body);
    painter.setPen(QPen(design.fill, kHatchWidth, Qt::SolidLine, Qt::FlatCap));
    for (double x = -kDesignSide; x < 2 * kDesignSide; x += kHatchSpacing) {
        painter.drawLine(QPointF(x, 0), QPointF(x - kDesignSide, kDesignSide));
    }
    painter.restore();
}

QImage DrawFigure(const FigureDesign& design, Variant variant) {
    QImage image(kFigureSide, kFigureSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kFigureSide / kDesignSide, kFigureSide / kDesignSide);

    painter.fillPath(design.body.translated(kShadowOffset), kShadow);
    if (variant == Variant::Own) {
        painter.fillPath(design.body, design.fill);
    } else {
        painter.fillPath(design.body, Pale(design.fill));
        DrawHatching(painter, design);
    }
    painter.fillPath(design.marks, kOutline);
    painter.strokePath(design.strokedMarks,
                       QPen(kOutline, kSmileWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double outline = variant == Variant::Own ? kOwnOutline : kPartnerOutline;
    painter.strokePath(design.body,
                       QPen(kOutline, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.end();
    // PNG stores straight alpha; converting here keeps the saved file exact.
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool Fail(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
    return false;
}

}  // namespace

std::vector<FigurePicture> DrawFigurePictures() {
    std::vector<FigurePicture> pictures;
    for (const FigureDesign& design : FigureDesigns()) {
        pictures.push_back({design.stem + "0.png", DrawFigure(design, Variant::Own)});
        pictures.push_back({design.stem + "1.png", DrawFigure(design, Variant::Partner)});
    }
    return pictures;
}

bool WriteFigurePictures(const std::filesystem::path& folder, std::string* error) {
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    if (folderError) {
        return Fail(error,
                    "cannot create folder " + folder.string() + ": " + folderError.message());
    }
    for (const FigurePicture& picture : DrawFigurePictures()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.image.save(&buffer, "PNG")) {
            return Fail(error, "cannot encode " + picture.fileName + " as PNG");
        }
        const std::filesystem::path file = folder / picture.fileName;
        const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (WriteFileAtomically(file, content, WriteMode::Replace) != WriteResult::Written) {
            return Fail(error, "cannot write " + file.string());
        }
    }
    return true;
}

}  // namespace quib::tools
