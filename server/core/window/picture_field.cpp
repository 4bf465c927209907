#include "server/core/window/picture_field.h"

#include <QPaintEvent>
#include <QPainter>

namespace quib::server {

PictureField::PictureField(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
    image_.fill(Qt::black);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureField::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}

}  // namespace quib::server
