#include "common/image_change.h"

#include <QPainter>

namespace quib {

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
    QPainter painter(&shown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(change.at, change.pixels);
    return changed | QRect(change.at, change.pixels.size()).intersected(shown.rect());
}

}  // namespace quib
