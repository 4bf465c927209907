#pragma once

#include <QImage>
#include <QWidget>

#include "common/image_change.h"

namespace quib::server {

// A picture field of the main window: shows an image unscaled from its top
// left corner and paints it straight onto the window, without a conversion.
// It keeps a whole image as it is handed over (sharing its pixels), or takes
// a change to a part of its image and repaints only that part, so showing a
// mirror several times a second costs what changed. The image is expected
// to cover the field; the field paints nothing else.
class PictureField : public QWidget {
  public:
    PictureField(int width, int height, QWidget* parent);

    void Show(const QImage& image);
    void ShowChange(const ImageChange& change);
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace quib::server
