#include "client/window/picture_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace quib::client {

PictureView::PictureView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The view paints every pixel of itself: nothing below it is painted
    // first, so a change repaints only its own rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The view only shows; the window keeps the keyboard focus.
    setFocusPolicy(Qt::NoFocus);
}

void PictureView::Show(const QImage& image) {
    image_ = image;
    update();
}

void PictureView::ShowChange(const ImageChange& change) {
    const QRect changed = ApplyChange(image_, change);
    update(changed.translated(contentsRect().topLeft()));
}

void PictureView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect contents = contentsRect();
    const QRect picture = QRect(contents.topLeft(), image_.size()).intersected(contents);
    const QRect drawn = event->rect().intersected(picture);
    if (!drawn.isEmpty()) {
        painter.drawImage(drawn.topLeft(), image_, drawn.translated(-contents.topLeft()));
    }
    // Whatever the image does not cover (an image smaller than the field)
    // shows the window's background.
    for (const QRect& rest : QRegion(event->rect()).subtracted(QRegion(picture))) {
        painter.fillRect(rest, palette().window());
    }
    // A change of the picture alone leaves the sunken border as it is:
    // drawing it through the style costs more than the change itself.
    if (!contents.contains(event->rect())) {
        drawFrame(&painter);
    }
}

}  // namespace quib::client
