#pragma once

// The numbered images of one screen.
//
//   index 0  left front image    (what the left picture field shows)
//   index 1  left back buffer    slot -1 (and -3)
//   index 2  right front image   (what the right picture field shows)
//   index 3  right back buffer   slot -2
//   index n+4                    slot n, for n = -4 .. 127 (slot -4 is index 0)
//
// An index is empty or holds one image. The four screen images (0 .. 3)
// always hold one: they may be replaced but never freed, because the picture
// fields show them for the whole run.

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <optional>

namespace quib {

class ImageStore {
  public:
    static constexpr int kScreenImages = 4;
    static constexpr int kCapacity = kScreenImages + 128;

    // pixelBudget: the most pixels all images together may hold, so that a
    // stream of large images cannot exhaust memory one by one.
    explicit ImageStore(std::int64_t pixelBudget) : pixelBudget_(pixelBudget) {}

    // The index a slot names; nullopt below slot -4.
    static std::optional<int> IndexOfSlot(std::int8_t slot);
    static bool IsScreenImage(int index) { return index >= 0 && index < kScreenImages; }

    // nullptr when the index is empty or out of range.
    QImage* Find(int index);
    const QImage* Find(int index) const;

    // Whether an image of `size` at `index`, replacing what is there, keeps
    // the store within its pixel budget.
    bool Fits(int index, QSize size) const;

    // Takes a non-null image for an index in range.
    void Put(int index, QImage image);

    // Empties an index; false for the four screen images, which stay.
    bool Free(int index);

  private:
    std::int64_t PixelsHeld() const;

    std::array<QImage, kCapacity> images_{};
    std::int64_t pixelBudget_;
};

}  // namespace quib
