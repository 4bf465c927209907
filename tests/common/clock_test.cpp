#include "common/clock.h"

#include <gtest/gtest.h>

namespace quib {
namespace {

TEST(ElapsedMs, StaysRightAcrossTheTimerWrap) {
    EXPECT_EQ(ElapsedMs(5u, 0xFFFFFFFBu), 10u);
    EXPECT_EQ(ElapsedMs(125u, 100u), 25u);
}

// The pause before a frame is waited out to the microsecond: a wrong
// carry between seconds and nanoseconds would wait a second too long or
// make ppoll refuse the time.
TEST(ToTimespec, SplitsIntoSecondsAndNanoseconds) {
    using namespace std::chrono_literals;
    struct Case {
        std::chrono::microseconds duration;
        time_t seconds;
        long nanoseconds;
    };
    for (const Case& c : {Case{0us, 0, 0}, Case{1us, 0, 1000}, Case{24'999us, 0, 24'999'000},
                          Case{1'500'000us, 1, 500'000'000}, Case{-3us, 0, 0}}) {
        const timespec t = ToTimespec(c.duration);
        EXPECT_EQ(t.tv_sec, c.seconds) << c.duration.count() << " us";
        EXPECT_EQ(t.tv_nsec, c.nanoseconds) << c.duration.count() << " us";
    }
}

}  // namespace
}  // namespace quib
