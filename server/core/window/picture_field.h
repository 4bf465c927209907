#pragma once

#include <QImage>
#include <QWidget>

namespace quib::server {

// A picture field of the main window: shows an image unscaled from its top
// left corner. It keeps the image as it is handed over (sharing its pixels)
// and paints it straight onto the window, so showing a mirror several times
// a second costs no conversion and no extra copy. The image is expected to
// cover the field; the field paints nothing else.
class PictureField : public QWidget {
  public:
    PictureField(int width, int height, QWidget* parent);

    void Show(const QImage& image);
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace quib::server
