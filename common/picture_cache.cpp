#include "common/picture_cache.h"

#include <sys/stat.h>

#include <exception>
#include <utility>

#include "common/picture_folder.h"

namespace quib {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return std::nullopt;
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return FileIdentity{
        static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
        static_cast<std::int64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * kNsPerSecond + status.st_mtim.tv_nsec};
}

QImage PictureCache::Picture(const std::filesystem::path& file, float scale,
                             const SizeCheck& accept) {
    // A missing file costs one look-up each time and nothing to keep.
    const std::optional<FileIdentity> identity = IdentityOf(file);
    if (!identity) {
        return QImage();
    }
    const QImage decoded = Obtain(Key{file.native(), *identity}, [&] {
        ++decodes_;
        return LoadFigurePicture(file);
    });
    if (decoded.isNull()) {
        return decoded;
    }
    const QSize size = ScaledPictureSize(decoded.size(), scale);
    if (accept && !accept(size)) {
        return QImage();
    }
    if (size == decoded.size()) {
        return decoded;
    }
    return Obtain(Key{file.native(), *identity, size.width(), size.height()},
                  [&] { return ResizePicture(decoded, size); });
}

QImage PictureCache::Obtain(const Key& key, const std::function<QImage()>& make) {
    std::promise<QImage> promise;
    std::shared_future<QImage> image;
    bool making = false;
    {
        std::lock_guard guard(mutex_);
        const auto found = entries_.find(key);
        if (found != entries_.end()) {
            found->second.lastUse = ++useClock_;
            image = found->second.image;
        } else {
            image = promise.get_future().share();
            entries_.emplace(key, Entry{image, 0, false, ++useClock_});
            making = true;
        }
    }
    if (!making) {
        return image.get();
    }
    QImage made;
    try {
        made = make();
    } catch (const std::exception&) {
        // Out of memory while decoding or resizing: the picture cannot be
        // loaded, as for a broken file.
    }
    promise.set_value(made);
    Settle(key, made);
    return made;
}

void PictureCache::Settle(const Key& key, const QImage& image) {
    std::lock_guard guard(mutex_);
    const auto found = entries_.find(key);
    if (found == entries_.end()) {
        return;
    }
    found->second.bytes = image.sizeInBytes();
    found->second.ready = true;
    bytesHeld_ += found->second.bytes;
    Evict();
}

void PictureCache::Evict() {
    while (bytesHeld_ > byteLimit_ || entries_.size() > kMaxEntries) {
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->second.ready &&
                (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse)) {
                oldest = it;
            }
        }
        if (oldest == entries_.end()) {
            return;  // only pictures still being made; they settle later
        }
        bytesHeld_ -= oldest->second.bytes;
        entries_.erase(oldest);
    }
}

}  // namespace quib
