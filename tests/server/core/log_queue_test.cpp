#include "server/core/log_queue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace quib::server {
namespace {

using ::testing::ElementsAre;

TEST(LogQueue, LinesCarryTheTimeAndComeOutNewestFirst) {
    LogQueue queue;
    queue.Post("14:03:09", "Spiel wurde abgebrochen!");
    queue.Post("14:03:10", "zweite");
    EXPECT_THAT(queue.TakeNewestFirst(),
                ElementsAre("14:03:10 | zweite", "14:03:09 | Spiel wurde abgebrochen!"));
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_TRUE(queue.TakeNewestFirst().empty());
}

TEST(LogQueue, AFullQueueDropsItsOldestLine) {
    LogQueue queue;
    for (std::size_t i = 0; i < LogQueue::kSlots + 2; ++i) {
        queue.Post("00:00:00", std::to_string(i));
    }
    EXPECT_EQ(queue.size(), LogQueue::kSlots);
    const auto lines = queue.TakeNewestFirst();
    ASSERT_EQ(lines.size(), LogQueue::kSlots);
    EXPECT_EQ(lines.front(), "00:00:00 | 52");
    EXPECT_EQ(lines.back(), "00:00:00 | 2") << "lines 0 and 1 were dropped";
}

}  // namespace
}  // namespace quib::server
