#include "server/core/window/picture_field.h"

#include <gtest/gtest.h>

#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

QImage Shown(PictureField& field) {
    return field.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PictureField, StartsBlackAndShowsItsImagePixelForPixel) {
    quib::testing::EnsureApplication();
    PictureField field(4, 3, nullptr);
    field.resize(4, 3);
    QImage black(4, 3, QImage::Format_RGB32);
    black.fill(Qt::black);
    EXPECT_EQ(Shown(field), black);

    QImage pattern(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            pattern.setPixel(x, y, qRgb(60 * x, 80 * y, 200));
        }
    }
    field.Show(pattern);
    EXPECT_EQ(Shown(field), pattern);
}

}  // namespace
}  // namespace quib::server
