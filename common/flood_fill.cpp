#include "common/flood_fill.h"

#include <cstddef>
#include <vector>

namespace quib {
namespace {

constexpr QRgb kOpaque = 0xFF000000;

struct Seed {
    int x;
    int y;
};

class AreaFill {
  public:
    AreaFill(QImage& image, std::optional<QRgb> border, QRgb colour, QPoint start)
        : image_(image),
          width_(image.width()),
          height_(image.height()),
          ignoresAlpha_(!image.hasAlphaChannel()),
          border_(border ? std::optional<QRgb>(*border | kOpaque) : std::nullopt),
          colour_(colour | kOpaque),
          startColour_(Key(Row(start.y())[start.x()])),
          visited_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

    void Run(QPoint start) {
        std::vector<Seed> seeds{{start.x(), start.y()}};
        while (!seeds.empty()) {
            const Seed seed = seeds.back();
            seeds.pop_back();
            if (!Fillable(seed.x, seed.y)) {
                continue;  // reached through another span meanwhile
            }
            int left = seed.x;
            int right = seed.x;
            while (left > 0 && Fillable(left - 1, seed.y)) {
                --left;
            }
            while (right < width_ - 1 && Fillable(right + 1, seed.y)) {
                ++right;
            }
            FillSpan(seed.y, left, right);
            if (seed.y > 0) {
                SeedRuns(seed.y - 1, left, right, seeds);
            }
            if (seed.y < height_ - 1) {
                SeedRuns(seed.y + 1, left, right, seeds);
            }
        }
    }

  private:
    QRgb* Row(int y) { return reinterpret_cast<QRgb*>(image_.scanLine(y)); }

    // An image without alpha channel may hold anything in its top byte.
    QRgb Key(QRgb pixel) const { return ignoresAlpha_ ? (pixel | kOpaque) : pixel; }

    std::size_t Cell(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    // Painted pixels are remembered apart from their colour: the fill colour
    // may already occur inside the area, and such pixels must still let the
    // fill pass.
    bool Fillable(int x, int y) {
        if (visited_[Cell(x, y)]) {
            return false;
        }
        const QRgb pixel = Key(Row(y)[x]);
        return border_ ? pixel != *border_ : pixel == startColour_;
    }

    void FillSpan(int y, int left, int right) {
        QRgb* row = Row(y);
        for (int x = left; x <= right; ++x) {
            row[x] = colour_;
            visited_[Cell(x, y)] = true;
        }
    }

    // One seed per run of fillable pixels in the row next to a filled span.
    void SeedRuns(int y, int left, int right, std::vector<Seed>& seeds) {
        bool inRun = false;
        for (int x = left; x <= right; ++x) {
            const bool fillable = Fillable(x, y);
            if (fillable && !inRun) {
                seeds.push_back({x, y});
            }
            inRun = fillable;
        }
    }

    QImage& image_;
    int width_;
    int height_;
    bool ignoresAlpha_;
    std::optional<QRgb> border_;
    QRgb colour_;
    QRgb startColour_;
    std::vector<bool> visited_;
};

bool IsThirtyTwoBit(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return true;
        default:
            return false;
    }
}

}  // namespace

void FloodFill(QImage& image, QPoint start, std::optional<QRgb> border, QRgb colour) {
    if (!image.rect().contains(start)) {
        return;
    }
    if (!IsThirtyTwoBit(image)) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
        if (!IsThirtyTwoBit(image)) {
            return;  // out of memory while converting
        }
    }
    AreaFill(image, border, colour, start).Run(start);
}

}  // namespace quib
