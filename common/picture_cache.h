#pragma once

// Figure pictures kept decoded, at the sizes they are drawn, so that a
// picture file is decoded once however often frames name it: each round
// names every figure again, and the server draws each name twice for each
// seat (its own view and the partner view of the mirror).
//
// Threads: any. One small mutex guards the bookkeeping and is never held
// while a picture is decoded or resized; a thread asking for a picture that
// another thread is decoding waits for that result instead of decoding the
// file a second time. Images handed out are QImage copies: they share the
// pixels, and whoever draws on one detaches from the cached picture.

#include <QImage>
#include <QSize>

#include <atomic>
#include <compare>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace quib {

// What tells one version of a file from another: replacing, rewriting or
// touching a file changes at least one of these.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// nullopt when the file cannot be examined (missing, no permission).
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

class PictureCache {
  public:
    // A game uses at most four pictures (two figures, their partner
    // variants), each at one size on a player's screen and at two in the
    // server's mirror. At the figure side limit that is 4 x (16 + 2) MB; the
    // bound holds them with room, and any number of figures of the usual
    // hundred pixels.
    static constexpr std::int64_t kDefaultByteLimit = std::int64_t{128} << 20;
    // Bounds the bookkeeping of pictures that failed or hold few bytes, and
    // of versions of files that have changed since.
    static constexpr std::size_t kMaxEntries = 64;

    using SizeCheck = std::function<bool(QSize drawnSize)>;

    explicit PictureCache(std::int64_t byteLimit = kDefaultByteLimit) : byteLimit_(byteLimit) {}

    // The figure picture in `file` (see LoadFigurePicture) resized to
    // ScaledPictureSize(its size, scale). A null image when the file cannot
    // be loaded, when `accept` (if given) refuses the drawn size, or when
    // resizing fails. A file is decoded again only when its identity has
    // changed or its picture has been evicted; a failure is kept too, so a
    // broken file is not read again until it changes.
    QImage Picture(const std::filesystem::path& file, float scale, const SizeCheck& accept = {});

    // How many times a picture file has been decoded.
    std::uint64_t Decodes() const { return decodes_.load(); }

  private:
    // An empty size stands for the picture as decoded.
    struct Key {
        std::string path;
        FileIdentity identity;
        int width = 0;
        int height = 0;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        std::shared_future<QImage> image;
        std::int64_t bytes = 0;
        bool ready = false;
        std::uint64_t lastUse = 0;
    };

    // The cached image of `key`, made by `make` outside the lock when no one
    // has made it yet.
    QImage Obtain(const Key& key, const std::function<QImage()>& make);
    void Settle(const Key& key, const QImage& image);
    // Drops the least recently used ready entries while over either bound.
    void Evict();

    const std::int64_t byteLimit_;
    std::atomic<std::uint64_t> decodes_{0};

    std::mutex mutex_;  // guards everything below
    std::map<Key, Entry> entries_;
    std::int64_t bytesHeld_ = 0;
    std::uint64_t useClock_ = 0;
};

}  // namespace quib
