#include "common/picture_folder.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/codepage.h"
#include "common/picture.h"
#include "common/picture_qt.h"

namespace quib {
namespace {

// Names travel in Windows-1252; the file system takes UTF-8 names.
std::filesystem::path PathOfName(std::string_view cp1252Name) {
    const std::string utf8 = Cp1252ToUtf8(cp1252Name);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Above any image side a screen accepts, and well inside an int.
constexpr double kLargestScaledSide = 1 << 24;

int ScaledSide(int side, float scale) {
    const double scaled = std::nearbyint(static_cast<double>(side) * scale);
    if (!(scaled >= 1.0)) {
        return 1;  // also for a scale that is not a number
    }
    return static_cast<int>(std::min(scaled, kLargestScaledSide));
}

}  // namespace

bool IsPlainFileName(std::string_view cp1252Name) {
    return !cp1252Name.empty() && cp1252Name.find_first_of("/\\") == std::string_view::npos &&
           cp1252Name.find("..") == std::string_view::npos;
}

std::optional<std::filesystem::path> FolderPicturePath(const std::filesystem::path& folder,
                                                       std::string_view cp1252Name) {
    if (!IsPlainFileName(cp1252Name)) {
        return std::nullopt;
    }
    return folder / PathOfName(cp1252Name);
}

QImage LoadFigurePicture(const std::filesystem::path& file) {
    RgbaImage decoded;
    if (!LoadPngFile(file, &decoded, nullptr, kMaxFigurePictureSide)) {
        return QImage();
    }
    return ToQImage(decoded);
}

QSize ScaledPictureSize(QSize size, float scale) {
    return QSize(ScaledSide(size.width(), scale), ScaledSide(size.height(), scale));
}

QImage ResizePicture(const QImage& picture, QSize size) {
    if (picture.size() == size) {
        return picture;
    }
    const QImage scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace quib
