#include "common/image_store.h"

namespace quib {
namespace {

constexpr int kFirstSlot = -4;

std::int64_t PixelsOf(QSize size) {
    return std::int64_t{size.width()} * size.height();
}

bool InRange(int index) {
    return index >= 0 && index < ImageStore::kCapacity;
}

}  // namespace

std::optional<int> ImageStore::IndexOfSlot(std::int8_t slot) {
    // The two back buffers have slots of their own; every other slot counts
    // up from the front images.
    switch (slot) {
        case -1:
            return 1;
        case -2:
            return 3;
        default:
            break;
    }
    if (slot < kFirstSlot) {
        return std::nullopt;
    }
    return slot + kScreenImages;
}

QImage* ImageStore::Find(int index) {
    if (!InRange(index) || images_[static_cast<std::size_t>(index)].isNull()) {
        return nullptr;
    }
    return &images_[static_cast<std::size_t>(index)];
}

const QImage* ImageStore::Find(int index) const {
    if (!InRange(index) || images_[static_cast<std::size_t>(index)].isNull()) {
        return nullptr;
    }
    return &images_[static_cast<std::size_t>(index)];
}

bool ImageStore::Fits(int index, QSize size) const {
    const QImage* current = Find(index);
    const std::int64_t released = current ? PixelsOf(current->size()) : 0;
    return PixelsHeld() - released + PixelsOf(size) <= pixelBudget_;
}

void ImageStore::Put(int index, QImage image) {
    if (InRange(index) && !image.isNull()) {
        images_[static_cast<std::size_t>(index)] = std::move(image);
    }
}

bool ImageStore::Free(int index) {
    if (!InRange(index) || IsScreenImage(index)) {
        return false;
    }
    images_[static_cast<std::size_t>(index)] = QImage();
    return true;
}

std::int64_t ImageStore::PixelsHeld() const {
    std::int64_t pixels = 0;
    for (const QImage& image : images_) {
        pixels += PixelsOf(image.size());
    }
    return pixels;
}

}  // namespace quib
