// A changed part handed from the drawing thread to the showing thread, or
// copied straight across, lands where it was taken, and only there.

#include <gtest/gtest.h>

#include <QImage>

#include "common/image_change.h"

namespace quib {
namespace {

// A picture whose every pixel differs from its neighbours, so that a part
// put one pixel off shows.
QImage Pattern(QSize size, int seed) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 13 + seed) % 256, (x ^ y) % 256));
        }
    }
    return image;
}

// `shown` holds the pixels of `drawn` inside `part` and those of `before`
// everywhere else.
void ExpectPartFrom(const QImage& shown, const QImage& drawn, const QRect& part,
                    const QImage& before) {
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb expected = part.contains(x, y) ? drawn.pixel(x, y) : before.pixel(x, y);
            ASSERT_EQ(shown.pixel(x, y), expected) << "at " << x << "," << y;
        }
    }
}

struct ChangeCase {
    const char* name;
    QRect area;                   // taken from the drawn image
    QImage::Format pixelsFormat;  // as handed over
};

class ApplyChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ApplyChangeTest, PutsThePartWhereItWasTakenAndNothingElse) {
    const QImage drawn = Pattern({60, 40}, 1);
    QImage shown = Pattern({60, 40}, 99);
    const QImage before = shown.copy();
    ImageChange change = TakeChange(drawn, GetParam().area);
    change.pixels = change.pixels.convertToFormat(GetParam().pixelsFormat);

    const QRect changed = ApplyChange(shown, change);

    const QRect part = GetParam().area.intersected(drawn.rect());
    EXPECT_EQ(changed, part);
    ExpectPartFrom(shown, drawn, part, before);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ApplyChangeTest,
    ::testing::Values(
        ChangeCase{"inside", QRect(13, 7, 21, 9), QImage::Format_RGB32},
        ChangeCase{"over_the_right_and_lower_edge", QRect(50, 30, 30, 30), QImage::Format_RGB32},
        ChangeCase{"one_pixel", QRect(59, 0, 1, 1), QImage::Format_RGB32},
        ChangeCase{"in_another_format", QRect(5, 5, 17, 11), QImage::Format_ARGB32_Premultiplied}),
    [](const ::testing::TestParamInfo<ChangeCase>& param) { return param.param.name; });

TEST(ApplyChange, ShownImageOfAnotherSizeBecomesBlackWithThePart) {
    const QImage drawn = Pattern({30, 20}, 5);
    QImage shown = Pattern({10, 10}, 6);
    const QRect changed = ApplyChange(shown, TakeChange(drawn, QRect(2, 3, 4, 5)));
    EXPECT_EQ(shown.size(), QSize(30, 20));
    EXPECT_EQ(changed, shown.rect());
    EXPECT_EQ(shown.pixel(2, 3), drawn.pixel(2, 3));
    EXPECT_EQ(shown.pixel(5, 7), drawn.pixel(5, 7));
    EXPECT_EQ(shown.pixel(6, 3), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(ApplyChange, ChangeOfNothingLeavesTheImage) {
    const QImage drawn = Pattern({30, 20}, 5);
    QImage shown = Pattern({30, 20}, 6);
    const QImage before = shown.copy();
    EXPECT_TRUE(ApplyChange(shown, TakeChange(drawn, QRect(40, 40, 5, 5))).isEmpty());
    EXPECT_EQ(shown, before);
}

TEST(ApplyChange, DoesNotWriteIntoPixelsSharedWithAnotherImage) {
    const QImage drawn = Pattern({30, 20}, 5);
    QImage shown = Pattern({30, 20}, 6);
    const QImage sharedCopy = shown;  // as a painter or a test might hold it
    const QImage before = shown.copy();
    ApplyChange(shown, TakeChange(drawn, QRect(1, 1, 8, 8)));
    EXPECT_EQ(sharedCopy, before);
    EXPECT_EQ(shown.pixel(1, 1), drawn.pixel(1, 1));
}

class CopyChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(CopyChangeTest, CopiesThePartAcrossAndNothingElse) {
    const QImage drawn = Pattern({60, 40}, 1);
    QImage shown = Pattern({60, 40}, 99);
    const QImage sharedCopy = shown;  // as a painter might hold it
    const QImage before = shown.copy();

    const QRect changed = CopyChange(shown, drawn, GetParam().area);

    const QRect part = GetParam().area.intersected(drawn.rect());
    EXPECT_EQ(changed, part);
    EXPECT_EQ(sharedCopy, before);
    ExpectPartFrom(shown, drawn, part, before);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, CopyChangeTest,
    ::testing::Values(ChangeCase{"inside", QRect(13, 7, 21, 9), QImage::Format_RGB32},
                      ChangeCase{"over_the_right_and_lower_edge", QRect(50, 30, 30, 30),
                                 QImage::Format_RGB32},
                      ChangeCase{"one_pixel", QRect(59, 0, 1, 1), QImage::Format_RGB32},
                      ChangeCase{"nothing", QRect(), QImage::Format_RGB32},
                      ChangeCase{"off_the_image", QRect(70, 50, 5, 5), QImage::Format_RGB32}),
    [](const ::testing::TestParamInfo<ChangeCase>& param) { return param.param.name; });

TEST(CopyChange, ShownImageOfAnotherSizeOrFormatBecomesAWholeCopy) {
    const QImage drawn = Pattern({30, 20}, 5);
    for (QImage shown :
         {Pattern({10, 10}, 6), QImage(), drawn.convertToFormat(QImage::Format_RGB888)}) {
        const QRect changed = CopyChange(shown, drawn, QRect(2, 3, 4, 5));
        EXPECT_EQ(changed, drawn.rect());
        EXPECT_EQ(shown, drawn);
        EXPECT_EQ(shown.format(), drawn.format());
    }
}

}  // namespace
}  // namespace quib
