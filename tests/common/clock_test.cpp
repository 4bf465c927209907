#include "common/clock.h"

#include <gtest/gtest.h>

namespace quib {
namespace {

TEST(ElapsedMs, StaysRightAcrossTheTimerWrap) {
    EXPECT_EQ(ElapsedMs(5u, 0xFFFFFFFBu), 10u);
    EXPECT_EQ(ElapsedMs(125u, 100u), 25u);
}

}  // namespace
}  // namespace quib
