#pragma once

// Pictures named in messages, loaded from the picture folder.

#include <QImage>
#include <QSize>

#include <filesystem>
#include <optional>
#include <string_view>

namespace quib {

// A name the sender may use: not empty, and without "/", "\" or "..", so it
// can only name a file directly inside the picture folder.
bool IsPlainFileName(std::string_view cp1252Name);

// Largest side of a figure picture. A figure is drawn at its own pixel size
// on a picture field of 480 pixels (times the player's screen factor), and
// stands on one of its four cells; a side of 2048 already covers more than
// four whole fields, so no screen can show more of a larger picture, while
// decoding one costs its side squared times four bytes (256 MB at 8192).
inline constexpr int kMaxFigurePictureSide = 2048;

// The file `cp1252Name` (Windows-1252, as it travels) names in `folder`;
// nullopt when the name is not plain.
std::optional<std::filesystem::path> FolderPicturePath(const std::filesystem::path& folder,
                                                       std::string_view cp1252Name);

// The figure picture in `file` as 32-bit premultiplied ARGB; a null image
// when the file is missing, not a valid PNG or has a side beyond
// kMaxFigurePictureSide (refused from its header, before decoding).
QImage LoadFigurePicture(const std::filesystem::path& file);

// round(side * scale) for both sides, halves to even, at least one pixel.
QSize ScaledPictureSize(QSize size, float scale);

// The picture at `size` by smooth (averaging) scaling, alpha kept; the
// picture itself when it has that size already. Null when out of memory.
QImage ResizePicture(const QImage& picture, QSize size);

}  // namespace quib
