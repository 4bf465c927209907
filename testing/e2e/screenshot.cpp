#include "testing/e2e/screenshot.h"

#include <cstdlib>
#include <map>
#include <tuple>

#include "testing/e2e/child_group.h"

namespace quib::e2e {

Rgb Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width || y >= image_.height) {
        return {};
    }
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.width) +
                           static_cast<std::size_t>(x)) *
                          4;
    return {image_.pixels[i], image_.pixels[i + 1], image_.pixels[i + 2]};
}

Rgb Screenshot::Dominant(const Rect& area) const {
    std::map<std::tuple<int, int, int>, int> counts;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            const Rgb c = At(x, y);
            ++counts[{c.r, c.g, c.b}];
        }
    }
    Rgb best;
    int bestCount = -1;
    for (const auto& [colour, count] : counts) {
        if (count > bestCount) {
            bestCount = count;
            best = {std::get<0>(colour), std::get<1>(colour), std::get<2>(colour)};
        }
    }
    return best;
}

std::optional<Screenshot> Capture(const std::string& display, WindowId window,
                                  const std::filesystem::path& file) {
    // PNG24 keeps plain 8-bit RGB, whatever palette the picture would fit.
    const ToolResult grabbed = RunTool(
        {"/usr/bin/import", "-silent", "-window", std::to_string(window), "PNG24:" + file.string()},
        {{"DISPLAY", display}}, std::chrono::seconds(30));
    RgbaImage image;
    if (grabbed.exitCode != 0 || !LoadPngFile(file, &image)) {
        return std::nullopt;
    }
    return Screenshot(std::move(image));
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

}  // namespace quib::e2e
