#pragma once

// The values of quib_client.prefs the program can work with. The settings
// file is edited by hand, so any integer may stand there; a value outside
// its range is refused at start with a message naming the key and the
// range, instead of a window, an image or a port that cannot exist.

#include <cstdint>
#include <string>
#include <vector>

#include "client/client_settings.h"

namespace quib::client {

struct SettingRange {
    const char* key;
    std::int32_t lowest;
    std::int32_t highest;
};

// 240 gives a 410 x 240 window with 192-pixel picture fields: cells of 96
// pixels, about the least in which a figure and two shapes side by side stay
// distinguishable, and a status line of 6 points still fits below them.
// 4320 is the height of the tallest screens made (7680 x 4320); the window,
// 1.71 times as wide as high, still fits their width, and each of the four
// screen images stays at 3456 x 3456 pixels (48 MB).
inline constexpr SettingRange kBaseHightRange{"baseHight", 240, 4320};

// Below 6 points no status text is legible. The text fields are 4 x size - 1
// pixels high, so beyond 1080 points they would be taller than the tallest
// window.
inline constexpr SettingRange kBaseFontSizeRange{"baseFontSize", 6, 1080};

// TCP port numbers; no server listens on port 0.
inline constexpr SettingRange kPortRange{"Port", 1, 65535};

struct UnworkableSetting {
    SettingRange range;
    std::int32_t value;
};

// baseHight, baseFontSize and Port, in this order, for each value outside
// its range; empty when the program can work with all of them.
std::vector<UnworkableSetting> FindUnworkableSettings(const ClientSettings& settings);

// One line per setting, "quib_client.prefs: baseHight = 45000 (240 ... 4320)",
// joined by line breaks: file, key, value and range need no translation.
std::string DescribeUnworkableSettings(const std::vector<UnworkableSetting>& found);

}  // namespace quib::client
