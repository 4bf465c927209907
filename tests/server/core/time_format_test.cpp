#include "server/core/time_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quib::server {
namespace {

struct ClockCase {
    std::int64_t seconds;
    const char* clock;
    const char* hoursMinutes;
};

TEST(TimeFormatTest, ClockAndHoursMinutesTable) {
    const ClockCase cases[] = {
        {0, "00:00:00", "0 Std. 00 Min."},
        {1, "00:00:01", "0 Std. 00 Min."},
        {59, "00:00:59", "0 Std. 00 Min."},
        {60, "00:01:00", "0 Std. 01 Min."},
        {61, "00:01:01", "0 Std. 01 Min."},
        {599, "00:09:59", "0 Std. 09 Min."},
        {600, "00:10:00", "0 Std. 10 Min."},
        {3599, "00:59:59", "0 Std. 59 Min."},
        {3600, "01:00:00", "1 Std. 00 Min."},
        {3725, "01:02:05", "1 Std. 02 Min."},
        {36000, "10:00:00", "10 Std. 00 Min."},
        {86399, "23:59:59", "23 Std. 59 Min."},
        {359999, "99:59:59", "99 Std. 59 Min."},
        // From 100 hours on a field keeps its first two digits.
        {360000, "10:00:00", "100 Std. 00 Min."},
        {363725, "10:02:05", "101 Std. 02 Min."},
        {2000 * 3600 + 7 * 60 + 3, "20:07:03", "2000 Std. 07 Min."},
    };
    const ServerTexts texts;
    for (const ClockCase& c : cases) {
        EXPECT_EQ(FormatClock(c.seconds), c.clock) << c.seconds;
        EXPECT_EQ(FormatHoursMinutes(c.seconds, texts), c.hoursMinutes) << c.seconds;
    }
}

TEST(TimeFormatTest, HoursMinutesFollowTheLanguageTexts) {
    ServerTexts texts;
    texts.Set(txt::kHoursUnit, "h");
    texts.Set(txt::kMinutesUnit, "min");
    EXPECT_EQ(FormatHoursMinutes(3725, texts), "1 h 02 min");
}

TEST(TimeFormatTest, HmsPadsEveryField) {
    EXPECT_EQ(FormatHms({2024, 5, 6, 4, 5, 6}), "04:05:06");
    EXPECT_EQ(FormatHms({2024, 12, 31, 23, 59, 59}), "23:59:59");
    EXPECT_EQ(FormatHms({2024, 1, 1, 0, 0, 0}), "00:00:00");
}

TEST(TimeFormatTest, DateKeepsTheYearsLastTwoDigits) {
    EXPECT_EQ(FormatDate({2024, 3, 9, 14, 5, 7}), "09.03.24");
    EXPECT_EQ(FormatDate({2005, 12, 31, 0, 0, 0}), "31.12.05");
    EXPECT_EQ(FormatDate({2100, 1, 1, 0, 0, 0}), "01.01.00");
}

TEST(TimeFormatTest, CurrentLocalTimeIsPlausible) {
    const LocalTime now = CurrentLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_GE(now.hour, 0);
    EXPECT_LE(now.hour, 23);
    EXPECT_GE(now.minute, 0);
    EXPECT_LE(now.minute, 59);
    EXPECT_GE(now.second, 0);
    EXPECT_LE(now.second, 60);
    EXPECT_EQ(FormatHms(now).size(), 8u);
}

TEST(PostLogMessageTest, LineIsTimeBarAndText) {
    ServerState state;
    PostLogMessage(state, "Spiel wurde abgebrochen!", {2024, 3, 1, 14, 3, 9});
    PostLogMessage(state, "zweite", {2024, 3, 1, 9, 0, 10});
    const std::vector<std::string> lines = state.logQueue.TakeNewestFirst();
    EXPECT_EQ(lines, (std::vector<std::string>{"09:00:10 | zweite",
                                               "14:03:09 | Spiel wurde abgebrochen!"}));
}

TEST(PostLogMessageTest, KeepsWindows1252TextAsItIs) {
    ServerState state;
    PostLogMessage(state, "Spiel l\xE4uft ...", {2024, 3, 1, 14, 3, 9});
    EXPECT_EQ(state.logQueue.TakeNewestFirst(),
              (std::vector<std::string>{"14:03:09 | Spiel l\xE4uft ..."}));
}

TEST(PostLogMessageTest, MayBeCalledWhileHoldingTheLock) {
    ServerState state;
    {
        const std::lock_guard<StateLock> held(state.lock);
        PostLogMessage(state, "text", {2024, 3, 1, 14, 3, 9});
        EXPECT_TRUE(state.lock.HeldByCurrentThread());
    }
    EXPECT_FALSE(state.lock.HeldByCurrentThread());
    EXPECT_EQ(state.logQueue.size(), 1u);
}

TEST(PostLogMessageTest, StampsWithTheCurrentTimeWhenNoneIsGiven) {
    ServerState state;
    PostLogMessage(state, "jetzt");
    const std::vector<std::string> lines = state.logQueue.TakeNewestFirst();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 8u + 3u + 5u);
    EXPECT_EQ(lines[0][2], ':');
    EXPECT_EQ(lines[0][5], ':');
    EXPECT_EQ(lines[0].substr(8), " | jetzt");
}

TEST(PostLogMessageTest, TwoThreadsPostWholeLines) {
    ServerState state;
    std::vector<std::string> taken;
    auto producer = [&state](const char* text) {
        for (int i = 0; i < 200; ++i) {
            PostLogMessage(state, text, {2024, 3, 1, 1, 2, 3});
        }
    };
    std::thread other(producer, "b");
    for (int i = 0; i < 200; ++i) {
        PostLogMessage(state, "a", {2024, 3, 1, 1, 2, 3});
        if (i % 20 == 0) {
            const std::lock_guard<StateLock> held(state.lock);
            for (std::string& line : state.logQueue.TakeNewestFirst()) {
                taken.push_back(std::move(line));
            }
        }
    }
    other.join();
    for (std::string& line : state.logQueue.TakeNewestFirst()) {
        taken.push_back(std::move(line));
    }
    // The queue drops its oldest line only when all 51 slots are taken, so
    // every line that arrives is well formed.
    EXPECT_LE(taken.size(), 400u);
    EXPECT_FALSE(taken.empty());
    for (const std::string& line : taken) {
        EXPECT_TRUE(line == "01:02:03 | a" || line == "01:02:03 | b") << line;
    }
}

}  // namespace
}  // namespace quib::server
