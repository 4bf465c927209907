#include "client/setting_ranges.h"

namespace quib::client {
namespace {

bool IsWithin(const SettingRange& range, std::int32_t value) {
    return value >= range.lowest && value <= range.highest;
}

}  // namespace

std::vector<UnworkableSetting> FindUnworkableSettings(const ClientSettings& settings) {
    std::vector<UnworkableSetting> found;
    for (const UnworkableSetting& checked :
         {UnworkableSetting{kBaseHightRange, settings.baseHight},
          UnworkableSetting{kBaseFontSizeRange, settings.baseFontSize},
          UnworkableSetting{kPortRange, settings.port}}) {
        if (!IsWithin(checked.range, checked.value)) {
            found.push_back(checked);
        }
    }
    return found;
}

std::string DescribeUnworkableSettings(const std::vector<UnworkableSetting>& found) {
    std::string text;
    for (const UnworkableSetting& setting : found) {
        if (!text.empty()) {
            text += "\n";
        }
        text += std::string(kClientSettingsFile) + ": " + setting.range.key + " = " +
                std::to_string(setting.value) + " (" + std::to_string(setting.range.lowest) +
                " ... " + std::to_string(setting.range.highest) + ")";
    }
    return text;
}

}  // namespace quib::client
