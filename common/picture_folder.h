#pragma once

// Pictures named in messages, loaded from the picture folder.

#include <QImage>
#include <QSize>

#include <filesystem>
#include <string_view>

namespace quib {

// A name the sender may use: not empty, and without "/", "\" or "..", so it
// can only name a file directly inside the picture folder.
bool IsPlainFileName(std::string_view cp1252Name);

// The picture `cp1252Name` (Windows-1252, as it travels) in `folder`, as
// 32-bit premultiplied ARGB; a null image when the name is not plain or the
// file is missing or not a valid PNG.
QImage LoadFolderPicture(const std::filesystem::path& folder, std::string_view cp1252Name);

// round(side * scale) for both sides, halves to even, at least one pixel.
QSize ScaledPictureSize(QSize size, float scale);

// The picture at `size` by smooth (averaging) scaling, alpha kept; the
// picture itself when it has that size already. Null when out of memory.
QImage ResizePicture(const QImage& picture, QSize size);

}  // namespace quib
