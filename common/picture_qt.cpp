#include "common/picture_qt.h"

#include <cstddef>

namespace quib {
namespace {

constexpr int kBytesPerPixel = 4;

// A picture whose pixel buffer does not match its sides would make Qt read
// past the end of it; such a picture is treated as empty.
bool HasConsistentPixels(const RgbaImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    const std::size_t expected = static_cast<std::size_t>(picture.width) *
                                 static_cast<std::size_t>(picture.height) * kBytesPerPixel;
    return picture.pixels.size() == expected;
}

}  // namespace

QImage ToQImage(const RgbaImage& picture) {
    if (!HasConsistentPixels(picture)) {
        return QImage();
    }
    // Byte order R, G, B, A matches Format_RGBA8888 on every platform. The
    // wrapper only borrows the pixels; converting makes the independent copy
    // the caller keeps after the picture is gone.
    const QImage borrowed(picture.pixels.data(), picture.width, picture.height,
                          qsizetype{picture.width} * kBytesPerPixel, QImage::Format_RGBA8888);
    return borrowed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace quib
