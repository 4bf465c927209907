#include "common/window_position.h"

#include <charconv>
#include <cstring>

namespace quib {
namespace {

// "+" and decimal digits at the start of `text`; advances past them.
std::optional<int> TakeOffset(std::string_view& text) {
    if (text.empty() || text[0] != '+') {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + 1) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool IsGeometryOption(const char* argument) {
    return std::strcmp(argument, "-geometry") == 0 ||
           std::strcmp(argument, "-qwindowgeometry") == 0;
}

}  // namespace

std::optional<QPoint> ParseWindowPosition(std::string_view geometry) {
    const std::size_t offsets = geometry.find_first_of("+-");
    if (offsets == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view size = geometry.substr(0, offsets);
    if (!size.empty()) {
        const std::size_t x = size.find('x');
        if (x == std::string_view::npos || x == 0 || x + 1 == size.size() ||
            size.find_first_not_of("0123456789x") != std::string_view::npos) {
            return std::nullopt;
        }
    }
    std::string_view rest = geometry.substr(offsets);
    const std::optional<int> x = TakeOffset(rest);
    const std::optional<int> y = x ? TakeOffset(rest) : std::nullopt;
    if (!y || !rest.empty()) {
        return std::nullopt;
    }
    return QPoint(*x, *y);
}

std::optional<QPoint> TakeWindowPosition(int& argc, char** argv) {
    std::optional<QPoint> position;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && IsGeometryOption(argv[i]) && i + 1 < argc) {
            if (const std::optional<QPoint> parsed = ParseWindowPosition(argv[i + 1])) {
                position = parsed;
            }
            ++i;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return position;
}

}  // namespace quib
