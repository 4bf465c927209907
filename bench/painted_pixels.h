#pragma once

// Counts what a benchmark's window paints: the area of every paint event of
// a widget and of its children, as they were when the counter was made.

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>

namespace quib::bench {

class PaintedPixels : public QObject {
  public:
    explicit PaintedPixels(QWidget* widget) {
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
    }

    double pixels = 0;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
                pixels += static_cast<double>(rect.width()) * rect.height();
            }
        }
        return false;
    }
};

}  // namespace quib::bench
