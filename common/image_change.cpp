#include "common/image_change.h"

#include <QPainter>

#include <cstddef>
#include <cstring>

namespace quib {
namespace {

// Copies the rectangle `part` of `from`, whose top left lies at `at` in the
// whole image, onto the same place of `to`, row by row: the same bytes a
// painter would write, without setting one up for every change. Both have
// the same whole-byte format.
void CopyRows(QImage& to, const QImage& from, QPoint at, const QRect& part) {
    const auto bytesPerPixel = static_cast<std::size_t>(to.depth() / 8);
    const auto bytes = static_cast<std::size_t>(part.width()) * bytesPerPixel;
    const QPoint source = part.topLeft() - at;
    for (int row = 0; row < part.height(); ++row) {
        std::memcpy(
            to.scanLine(part.top() + row) + static_cast<std::size_t>(part.left()) * bytesPerPixel,
            from.constScanLine(source.y() + row) +
                static_cast<std::size_t>(source.x()) * bytesPerPixel,
            bytes);
    }
}

}  // namespace

ImageChange TakeChange(const QImage& image, const QRect& area) {
    const QRect part = area.intersected(image.rect());
    if (part.isEmpty()) {
        return {QImage(), QPoint(), image.size()};
    }
    return {image.copy(part), part.topLeft(), image.size()};
}

QRect ApplyChange(QImage& shown, const ImageChange& change) {
    if (change.at == QPoint(0, 0) && change.pixels.size() == change.size) {
        shown = change.pixels;  // the whole image: nothing else holds the copy
        return shown.rect();
    }
    QRect changed;
    if (shown.size() != change.size) {
        shown = QImage(change.size, QImage::Format_RGB32);
        shown.fill(Qt::black);
        changed = shown.rect();
    }
    if (change.pixels.isNull() || shown.isNull()) {
        return changed;
    }
    const QRect part = QRect(change.at, change.pixels.size()).intersected(shown.rect());
    if (part.isEmpty()) {
        return changed;
    }
    if (shown.format() == change.pixels.format() && shown.depth() % 8 == 0) {
        CopyRows(shown, change.pixels, change.at, part);
        return changed | part;
    }
    QPainter painter(&shown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(change.at, change.pixels);
    return changed | part;
}

QRect CopyChange(QImage& shown, const QImage& image, const QRect& area) {
    if (shown.size() != image.size() || shown.format() != image.format() ||
        image.depth() % 8 != 0) {
        shown = image.copy();
        return shown.rect();
    }
    const QRect part = area.intersected(image.rect());
    if (!part.isEmpty()) {
        CopyRows(shown, image, QPoint(0, 0), part);
    }
    return part;
}

}  // namespace quib
