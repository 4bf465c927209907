#include "protocol/reply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame_test_util.h"
#include "protocol/messages.h"

namespace quib::protocol {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::ToBytes;

// The messages of a reply as (type, body) pairs, after checking the frame.
std::vector<std::pair<std::uint8_t, Bytes>> MessagesOf(std::span<const std::uint8_t> frame) {
    std::vector<std::pair<std::uint8_t, Bytes>> messages;
    EXPECT_EQ(CheckFrame(frame), FrameCheck::Good);
    const auto result = ParseMessages(frame, [&](std::uint8_t type, auto body) {
        messages.emplace_back(type, ToBytes(body));
        return true;
    });
    EXPECT_TRUE(result.good);
    return messages;
}

TEST(BuildReply, WithNothingToReportIsTheFourteenByteFrame) {
    auto buffer = std::make_unique<SendBuffer>();
    EXPECT_THAT(ToBytes(BuildReply(*buffer, {})), ElementsAre(0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0, 0, 0,
                                                              0x1E, 0x02, 0x2B, 0xB4, 0xDE, 0x6D));
}

TEST(BuildReply, CarriesTheHostNameOnlyWhenAskedAndCutsItToFiftyBytes) {
    auto buffer = std::make_unique<SendBuffer>();
    const std::string longName(60, 'h');
    ReplyContent content;
    content.hostName = longName;
    EXPECT_EQ(MessagesOf(BuildReply(*buffer, content)).size(), 1u);

    content.hostNameRequested = true;
    const auto messages = MessagesOf(BuildReply(*buffer, content));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].first, 35);
    EXPECT_EQ(messages[1].second, Bytes(50, 'h'));
    EXPECT_EQ(buffer->bytes()[kHeaderSize + 3], 52) << "length byte of the host-name message";
}

TEST(BuildReply, RightArrowHeldIsReportedAsKey39) {
    auto buffer = std::make_unique<SendBuffer>();
    ReplyContent content;
    content.foreground = true;
    content.keysDown.set(39);
    const auto frame = ToBytes(BuildReply(*buffer, content));
    ASSERT_EQ(frame.size(), 18u);
    EXPECT_THAT(std::vector(frame.begin() + 10, frame.begin() + 14), ElementsAre(50, 4, 39, 1));
}

TEST(BuildReply, ReportsKeysSixTo254InAscendingOrder) {
    auto buffer = std::make_unique<SendBuffer>();
    ReplyContent content;
    content.foreground = true;
    content.keysDown.set();
    const auto messages = MessagesOf(BuildReply(*buffer, content));
    ASSERT_EQ(messages.size(), 1u + 249u);
    for (std::size_t i = 1; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].first, 50);
        EXPECT_THAT(messages[i].second, ElementsAre(static_cast<std::uint8_t>(i + 5), 1));
    }
}

TEST(BuildReply, ReportsNoKeyWhileTheWindowIsNotInTheForeground) {
    auto buffer = std::make_unique<SendBuffer>();
    ReplyContent content;
    content.keysDown.set(32);
    content.keysDown.set(37);
    EXPECT_EQ(MessagesOf(BuildReply(*buffer, content)).size(), 1u);
}

TEST(BuildBadFrameReport, IsMessage254AloneInFourteenBytes) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    Append(*buffer, Box{});  // a half-built reply is replaced, not extended
    const auto frame = ToBytes(BuildBadFrameReport(*buffer));
    ASSERT_EQ(frame.size(), kMinFrameSize);
    EXPECT_EQ(CheckFrame(frame), FrameCheck::Good);
    EXPECT_THAT(std::vector(frame.begin() + 8, frame.begin() + 10), ElementsAre(254, 2));
}

}  // namespace
}  // namespace quib::protocol
