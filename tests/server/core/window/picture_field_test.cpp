#include "server/core/window/picture_field.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>

#include "common/image_change.h"

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
    field.ChangeImage([&](QImage& shown) { return CopyChange(shown, pattern, pattern.rect()); });
    EXPECT_EQ(Shown(field), pattern);
}

// Records the region of every paint event of the field.
class PaintedRegion : public QObject {
  public:
    explicit PaintedRegion(QWidget* field) { field->installEventFilter(this); }
    QRegion painted;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

TEST(PictureField, AChangedPartIsShownAndRepaintedAlone) {
    quib::testing::EnsureApplication();
    PictureField field(40, 30, nullptr);
    field.resize(40, 30);
    PaintedRegion region(&field);
    field.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !region.painted.isEmpty(); }, 2000))
        << "the first paint of the new window";
    region.painted = QRegion();

    QImage green(40, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    const QRect part(5, 6, 7, 8);
    field.ChangeImage([&](QImage& shown) { return CopyChange(shown, green, part); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !region.painted.isEmpty(); }, 2000));
    EXPECT_EQ(region.painted, QRegion(part));
    QImage expected(40, 30, QImage::Format_RGB32);
    expected.fill(Qt::black);
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            expected.setPixel(x, y, qRgb(0, 255, 0));
        }
    }
    EXPECT_EQ(Shown(field), expected);
}

}  // namespace
}  // namespace quib::server
