#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <utility>

namespace quib::server {

// A picture field of the main window: shows an image unscaled from its top
// left corner and paints it straight onto the window, without a conversion.
// Its image is changed in place and only the part changed is repainted, so
// showing a mirror several times a second costs what changed. The image is
// expected to cover the field; the field paints nothing else.
class PictureField : public QWidget {
  public:
    PictureField(int width, int height, QWidget* parent);

    // Lets `change` alter the field's image in place; repaints the part of
    // it that `change` returns.
    template <typename Change>
    void ChangeImage(Change&& change) {
        const QRect changed = std::forward<Change>(change)(image_);
        if (!changed.isEmpty()) {
            update(changed);
        }
    }
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace quib::server
