#include "server/core/time_format.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace quib::server {
namespace {

// Every two-digit field of the server's texts and files: the value in
// decimal, padded with leading zeros to two characters; a longer value keeps
// its first two characters (a year is passed as its last two digits).
std::string TwoDigits(std::int64_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(0, 2 - text.size(), '0');
    }
    text.resize(2);
    return text;
}

// "aa:bb:cc", the three parts of a clock reading or a duration.
std::string ClockText(std::int64_t first, std::int64_t second, std::int64_t third) {
    return TwoDigits(first) + ":" + TwoDigits(second) + ":" + TwoDigits(third);
}

}  // namespace

LocalTime CurrentLocalTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    if (::localtime_r(&now.tv_sec, &local) == nullptr) {
        return {};
    }
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(now.tv_nsec / 1000000)};
}

std::string FormatIsoMs(const LocalTime& time) {
    char text[64];  // room for any int in each field
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time.year % 10000,
                  time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                  time.second % 100, time.millisecond % 1000);
    return text;
}

std::string FormatHms(const LocalTime& time) {
    return ClockText(time.hour, time.minute, time.second);
}

std::string FormatDate(const LocalTime& time) {
    return TwoDigits(time.day) + "." + TwoDigits(time.month) + "." + TwoDigits(time.year % 100);
}

std::string FormatClock(std::int64_t seconds) {
    const std::int64_t minutes = seconds / 60;
    const std::int64_t hours = minutes / 60;
    return ClockText(hours, minutes % 60, seconds % 60);
}

std::string FormatHoursMinutes(std::int64_t seconds, const ServerTexts& texts) {
    const std::int64_t minutes = seconds / 60;
    const std::int64_t hours = minutes / 60;
    return std::to_string(hours) + " " + texts[txt::kHoursUnit] + " " + TwoDigits(minutes % 60) +
           " " + texts[txt::kMinutesUnit];
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
