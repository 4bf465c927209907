#pragma once

// A window's pixels as the X server shows them: grabbed with ImageMagick's
// import and decoded with the project's own PNG reader.

#include <filesystem>
#include <optional>
#include <string>

#include "common/picture.h"
#include "testing/e2e/x_input.h"

namespace quib::e2e {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class Screenshot {
  public:
    explicit Screenshot(RgbaImage image) : image_(std::move(image)) {}

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    // Black outside the picture.
    Rgb At(int x, int y) const;
    // The colour most pixels of `area` have: the background of a label
    // whatever text it shows.
    Rgb Dominant(const Rect& area) const;

  private:
    RgbaImage image_;
};

// Grabs `window` into the PNG file `file` (kept, for a look after a
// failure) and decodes it; nothing when either step fails.
std::optional<Screenshot> Capture(const std::string& display, WindowId window,
                                  const std::filesystem::path& file);

// Whether two colours are the same up to `tolerance` in each channel.
bool Near(const Rgb& a, const Rgb& b, int tolerance = 2);

}  // namespace quib::e2e
