#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/core/server_state.h"
#include "server/core/texts.h"

namespace quib::server {

// A wall-clock reading in local time.
struct LocalTime {
    int year = 0;
    int month = 0;   // 1 .. 12
    int day = 0;     // 1 .. 31
    int hour = 0;    // 0 .. 23
    int minute = 0;  // 0 .. 59
    int second = 0;  // 0 .. 60
    // 0 .. 999: only the session file's times show it; every other text
    // and file of the server counts whole seconds.
    int millisecond = 0;
};

LocalTime CurrentLocalTime();

// "HH:MM:SS", two digits each: the time stamp of a log line and the time
// field of the record files.
std::string FormatHms(const LocalTime& time);

// "YYYY-MM-DDTHH:MM:SS.mmm": the session file's times, which sort as text
// in the order they happened (within one run and one time zone).
std::string FormatIsoMs(const LocalTime& time);

// "DD.MM.YY", two digits each, the year's last two: the date field of the
// record files.
std::string FormatDate(const LocalTime& time);

// Hours, minutes and seconds of a duration in seconds as "HH:MM:SS", each
// field zero-padded to two characters; a field with more digits keeps its
// first two, so the result is exact only below 100 hours (0 gives
// "00:00:00", 3725 gives "01:02:05").
std::string FormatClock(std::int64_t seconds);

// Whole hours unpadded, " ", text txt26, " ", the remaining minutes as two
// digits, " ", text txt27; the seconds are dropped (3725 gives
// "1 Std. 02 Min." with the German texts).
std::string FormatHoursMinutes(std::int64_t seconds, const ServerTexts& texts);

// Queues the log line "HH:MM:SS | text" stamped with `now` for the main
// thread's log view. Any thread; takes state.lock (re-entrant, so a holder
// may call it).
void PostLogMessage(ServerState& state, std::string_view text, const LocalTime& now);

// The same, stamped with the current local time.
void PostLogMessage(ServerState& state, std::string_view text);

}  // namespace quib::server
