#pragma once

// A changed part of an image, handed from the thread that draws the image to
// the thread that shows it: a copy of that part alone, so that neither thread
// ever touches pixels the other may be using, and neither copies more than
// what changed. Where both threads share a lock anyway, the showing side
// copies the part straight from the drawn image (CopyChange).

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace quib {

struct ImageChange {
    QImage pixels;  // a copy of the changed part
    QPoint at;      // where the part lies in the whole image
    QSize size;     // the size of the whole image
};

// The part `area` of `image` (clipped to it) as a change; empty pixels when
// nothing of it lies on the image.
ImageChange TakeChange(const QImage& image, const QRect& area);

// Puts the change onto `shown`, the showing thread's own copy of the whole
// image, and returns the rectangle of `shown` that may have changed. A copy
// of another size is first made that size, black (the drawing side then
// sends the whole image).
QRect ApplyChange(QImage& shown, const ImageChange& change);

// Brings `shown`, the showing side's copy of `image`, up to date within
// `area` by copying those pixels across, and returns the rectangle of
// `shown` that changed. A copy of another size or format becomes a whole
// copy of `image`. The caller holds whatever keeps `image` still meanwhile.
QRect CopyChange(QImage& shown, const QImage& image, const QRect& area);

}  // namespace quib
