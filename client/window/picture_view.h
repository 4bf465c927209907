#pragma once

// One picture field of the player's window: a sunken panel with the image
// inside, unscaled from its top left corner. It keeps its own copy of the
// image and takes changes to parts of it, repainting only those parts.
// GUI thread only.

#include <QFrame>
#include <QImage>
#include <QWidget>

#include "common/image_change.h"

namespace quib::client {

class PictureView : public QFrame {
  public:
    explicit PictureView(QWidget* parent);

    // The whole image.
    void Show(const QImage& image);
    void ShowChange(const ImageChange& change);

    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace quib::client
