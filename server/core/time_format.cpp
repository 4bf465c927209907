#include "server/core/time_format.h"

#include <ctime>
#include <mutex>

namespace quib::server {
namespace {

// The value in decimal, padded with leading zeros to two characters; a
// longer value keeps its first two characters.
std::string TwoCharacters(std::int64_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(0, 2 - text.size(), '0');
    }
    text.resize(2);
    return text;
}

std::string JoinFields(std::int64_t first, std::int64_t second, std::int64_t third) {
    return TwoCharacters(first) + ":" + TwoCharacters(second) + ":" + TwoCharacters(third);
}

}  // namespace

std::string LastTwoDigits(int value) {
    const int kept = (value % 100 + 100) % 100;
    return std::string{static_cast<char>('0' + kept / 10), static_cast<char>('0' + kept % 10)};
}

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) {
        return {};
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string FormatHms(const LocalTime& time) {
    return JoinFields(time.hour, time.minute, time.second);
}

std::string FormatClock(std::int64_t seconds) {
    const std::int64_t minutes = seconds / 60;
    const std::int64_t hours = minutes / 60;
    return JoinFields(hours, minutes % 60, seconds % 60);
}

std::string FormatHoursMinutes(std::int64_t seconds, const ServerTexts& texts) {
    const std::int64_t minutes = seconds / 60;
    const std::int64_t hours = minutes / 60;
    return std::to_string(hours) + " " + texts[26] + " " + TwoCharacters(minutes % 60) + " " +
           texts[27];
}

void PostLogMessage(ServerState& state, std::string_view text, const LocalTime& now) {
    const std::string stamp = FormatHms(now);
    const std::lock_guard<StateLock> guard(state.lock);
    state.logQueue.Post(stamp, text);
}

void PostLogMessage(ServerState& state, std::string_view text) {
    PostLogMessage(state, text, CurrentLocalTime());
}

}  // namespace quib::server
