#include "protocol/receiver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "frame_test_util.h"
#include "tests/support/case_name.h"

namespace quib::protocol {
namespace {

using testing::Bytes;
using ::testing::ElementsAreArray;
using testing::FrameOf;
using testing::ToBytes;
using Status = FrameReceiver::Status;

// Copies `piece` into the receiver as one read would, at time `nowMs`.
Status Feed(FrameReceiver& receiver, std::span<const std::uint8_t> piece, std::uint32_t nowMs) {
    const auto space = receiver.FreeSpace();
    const std::size_t n = std::min(space.size(), piece.size());
    std::copy_n(piece.begin(), n, space.begin());
    return receiver.Received(n, nowMs);
}

const Bytes kBoardFrame =
    FrameOf({30, 2, 200, 3, 0xFF, 226, 22, 0, 0, 0, 0,    0,    0,   0, 0,   0, 0,
             0,  0, 0,   0, 0,    0,   0,  0, 0, 0, 0x80, 0x3F, 201, 2, 254, 2});

struct SplitCase {
    const char* name;
    std::vector<std::size_t> cuts;  // offsets where a new read starts
};

const SplitCase kSplits[] = {
    {"Whole", {}},
    {"InTwo", {5}},
    {"InThreeAcrossTheHeader", {3, 9}},
    {"CheckValueAlone", {kBoardFrame.size() - 4}},
};

class SplitFrame : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFrame, CompletesToTheSameFrame) {
    auto receiver = std::make_unique<FrameReceiver>();
    std::vector<std::size_t> bounds = GetParam().cuts;
    bounds.insert(bounds.begin(), 0);
    bounds.push_back(kBoardFrame.size());
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        const auto piece = std::span(kBoardFrame).subspan(bounds[i], bounds[i + 1] - bounds[i]);
        const Status expected = i + 2 == bounds.size() ? Status::Complete : Status::Incomplete;
        EXPECT_EQ(Feed(*receiver, piece, 1000 + static_cast<std::uint32_t>(i)), expected);
    }
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kBoardFrame));
    EXPECT_EQ(CheckFrame(receiver->bytes()), FrameCheck::Good);
}

INSTANTIATE_TEST_SUITE_P(Receiver, SplitFrame, ::testing::ValuesIn(kSplits),
                         quib::testing::CaseName());

TEST(FrameReceiver, OneByteAtATimeCompletesOnTheLastByte) {
    auto receiver = std::make_unique<FrameReceiver>();
    for (std::size_t i = 0; i < kBoardFrame.size(); ++i) {
        const Status status = Feed(*receiver, std::span(kBoardFrame).subspan(i, 1), 50);
        ASSERT_EQ(status, i + 1 == kBoardFrame.size() ? Status::Complete : Status::Incomplete)
            << "after byte " << i;
    }
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kBoardFrame));
}

struct BadStartCase {
    const char* name;
    Bytes bytes;
};

const BadStartCase kBadStarts[] = {
    {"GarbageFirstByte", {0x41}},
    {"MagicBrokenInItsThirdByte", {0xFE, 0xFE, 0x00}},
    {"LengthFieldBelowFourteen", {0xFE, 0xFE, 0xFE, 0xFE, 13, 0, 0, 0}},
    {"LengthFieldAboveTheBuffer", {0xFE, 0xFE, 0xFE, 0xFE, 0x01, 0x00, 0x01, 0x00}},
    {"LengthFieldHuge", {0xFE, 0xFE, 0xFE, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"MoreBytesThanTheLengthField", {0xFE, 0xFE, 0xFE, 0xFE, 14, 0, 0, 0, 30, 2, 1, 2, 3, 4, 5}},
};

class BadStart : public ::testing::TestWithParam<BadStartCase> {};

TEST_P(BadStart, IsBadAtOnceWithoutWaiting) {
    auto receiver = std::make_unique<FrameReceiver>();
    EXPECT_EQ(Feed(*receiver, GetParam().bytes, 7), Status::Bad);
    EXPECT_TRUE(receiver->FreeSpace().empty()) << "nothing is read until the bad frame is taken";
    EXPECT_EQ(receiver->bytes().size(), GetParam().bytes.size());
}

// A header that was never valid gives no length to skip by: the next read
// starts a new frame.
TEST_P(BadStart, TheNextReadStartsANewFrame) {
    auto receiver = std::make_unique<FrameReceiver>();
    ASSERT_EQ(Feed(*receiver, GetParam().bytes, 7), Status::Bad);
    receiver->Clear();
    EXPECT_EQ(Feed(*receiver, kBoardFrame, 8), Status::Complete);
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kBoardFrame));
}

INSTANTIATE_TEST_SUITE_P(Receiver, BadStart, ::testing::ValuesIn(kBadStarts),
                         quib::testing::CaseName());

constexpr std::uint32_t kLimit = FrameReceiver::kCompletionLimitMs;

TEST(FrameReceiver, UnfinishedFrameTurnsBadAfterTheLimitOfSilence) {
    auto receiver = std::make_unique<FrameReceiver>();
    const std::uint32_t start = 0xFFFFFFF0u;  // the limit holds across the timer wrap
    ASSERT_EQ(Feed(*receiver, std::span(kBoardFrame).first(10), start), Status::Incomplete);
    const std::uint32_t last = start + 1500;
    ASSERT_EQ(Feed(*receiver, std::span(kBoardFrame).subspan(10, 5), last), Status::Incomplete);
    // A waiting loop is told to sleep exactly until the limit.
    EXPECT_EQ(receiver->MsUntilExpiry(last + 60), static_cast<int>(kLimit) - 60);
    EXPECT_EQ(receiver->Expire(last + kLimit - 1), Status::Incomplete);
    EXPECT_EQ(receiver->MsUntilExpiry(last + kLimit), 0);
    EXPECT_EQ(receiver->Expire(last + kLimit), Status::Bad);
    EXPECT_EQ(receiver->bytes().size(), 15u);
}

// One byte every limit - 1 ms: the frame takes many times the limit and is
// still taken whole.
TEST(FrameReceiver, AFrameTricklingInStaysAliveWhileBytesKeepComing) {
    auto receiver = std::make_unique<FrameReceiver>();
    std::uint32_t now = 0xFFFF0000u;
    for (std::size_t i = 0; i < kBoardFrame.size(); ++i) {
        if (i > 0) {
            ASSERT_EQ(receiver->Expire(now), Status::Incomplete) << "before byte " << i;
            ASSERT_EQ(receiver->MsUntilExpiry(now), 1) << "before byte " << i;
        }
        Feed(*receiver, std::span(kBoardFrame).subspan(i, 1), now);
        now += kLimit - 1;
    }
    EXPECT_EQ(receiver->status(), Status::Complete);
    EXPECT_EQ(CheckFrame(receiver->bytes()), FrameCheck::Good);
}

const Bytes kNextFrame = FrameOf({30, 2, 201, 2, 254, 2});

// The frame given up after its first `givenUp` bytes (header included); what
// follows on the connection is the rest of it and then the next frame, in
// reads ending at `cuts` (offsets into that stream) that come `gapMs` apart.
struct SkipCase {
    const char* name;
    std::size_t givenUp;
    std::vector<std::size_t> cuts;
    std::uint32_t gapMs;
};

const std::size_t kRest = kBoardFrame.size() - 20;

const SkipCase kSkips[] = {
    {"RestAloneThenNextFrame", 20, {kRest}, 5},
    {"RestInThreeReadsThenNextFrame", 20, {3, 10, kRest}, 5},
    {"RestAndNextFrameInOneRead", 20, {}, 5},
    {"RestWithTheNextFramesHeader", 20, {kRest + 8}, 5},
    {"RestEndingOneByteIntoTheNextFrame", 20, {kRest + 1}, 5},
    {"RestComingLongAfterInPiecesFarApart", 20, {1, 2, kRest}, 3 * kLimit},
    {"GivenUpRightAfterTheHeader", 8, {4}, 5},
    {"GivenUpOneByteShort", kBoardFrame.size() - 1, {1}, 5},
};

class SkipRest : public ::testing::TestWithParam<SkipCase> {};

TEST_P(SkipRest, TheRestOfAFrameGivenUpIsSkippedAndTheNextFrameTaken) {
    const SkipCase& c = GetParam();
    auto receiver = std::make_unique<FrameReceiver>();
    std::uint32_t now = 100;
    ASSERT_EQ(Feed(*receiver, std::span(kBoardFrame).first(c.givenUp), now), Status::Incomplete);
    now += kLimit;
    ASSERT_EQ(receiver->Expire(now), Status::Bad);
    ASSERT_EQ(receiver->bytes().size(), c.givenUp);
    receiver->Clear();

    Bytes stream(kBoardFrame.begin() + static_cast<std::ptrdiff_t>(c.givenUp), kBoardFrame.end());
    const std::size_t restSize = stream.size();
    stream.insert(stream.end(), kNextFrame.begin(), kNextFrame.end());
    std::vector<std::size_t> bounds = c.cuts;
    bounds.insert(bounds.begin(), 0);
    bounds.push_back(stream.size());
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        now += c.gapMs;
        const auto piece = std::span(stream).subspan(bounds[i], bounds[i + 1] - bounds[i]);
        const Status status = Feed(*receiver, piece, now);
        if (i + 2 == bounds.size()) {
            break;
        }
        // A read that ends inside the rest leaves nothing; one that reaches
        // into the next frame starts it.
        const Status expected = bounds[i + 1] <= restSize ? Status::Empty : Status::Incomplete;
        ASSERT_EQ(status, expected) << "after read " << i;
        ASSERT_EQ(receiver->Expire(now), expected) << "after read " << i;
        ASSERT_EQ(receiver->bytes().size(), bounds[i + 1] - std::min(bounds[i + 1], restSize));
    }
    EXPECT_EQ(receiver->status(), Status::Complete);
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kNextFrame));
}

INSTANTIATE_TEST_SUITE_P(Receiver, SkipRest, ::testing::ValuesIn(kSkips),
                         quib::testing::CaseName());

// Without its header the frame's length is unknown: what follows is taken as
// a new frame, and the rest of the old one is no frame.
TEST(FrameReceiver, AFrameGivenUpInsideItsHeaderSkipsNothing) {
    auto receiver = std::make_unique<FrameReceiver>();
    ASSERT_EQ(Feed(*receiver, std::span(kBoardFrame).first(6), 0), Status::Incomplete);
    ASSERT_EQ(receiver->Expire(kLimit), Status::Bad);
    receiver->Clear();
    EXPECT_EQ(Feed(*receiver, std::span(kBoardFrame).subspan(6), kLimit + 1), Status::Bad);
    EXPECT_EQ(receiver->bytes().size(), kBoardFrame.size() - 6);
}

// A new connection owes nothing of the frame the old one gave up.
TEST(FrameReceiver, ResetForgetsTheRestStillToSkip) {
    auto receiver = std::make_unique<FrameReceiver>();
    ASSERT_EQ(Feed(*receiver, std::span(kBoardFrame).first(20), 0), Status::Incomplete);
    ASSERT_EQ(receiver->Expire(kLimit), Status::Bad);
    receiver->Reset();
    EXPECT_EQ(Feed(*receiver, kNextFrame, kLimit + 1), Status::Complete);
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kNextFrame));
}

TEST(FrameReceiver, ExpireLeavesEmptyAndFinishedFramesAlone) {
    auto receiver = std::make_unique<FrameReceiver>();
    EXPECT_EQ(receiver->Expire(100000), Status::Empty);
    EXPECT_EQ(receiver->MsUntilExpiry(100000), -1) << "nothing to wait for";
    Feed(*receiver, kBoardFrame, 0);
    EXPECT_EQ(receiver->Expire(100000), Status::Complete);
    EXPECT_EQ(receiver->MsUntilExpiry(100000), -1);
}

TEST(FrameReceiver, ClearStartsTheNextFrameFromTheTop) {
    auto receiver = std::make_unique<FrameReceiver>();
    ASSERT_EQ(Feed(*receiver, Bytes{0x00}, 0), Status::Bad);
    receiver->Clear();
    EXPECT_EQ(receiver->status(), Status::Empty);
    EXPECT_EQ(receiver->FreeSpace().size(), kBufferSize);
    EXPECT_EQ(Feed(*receiver, kBoardFrame, 1), Status::Complete);
    EXPECT_THAT(ToBytes(receiver->bytes()), ElementsAreArray(kBoardFrame));
}

TEST(FrameReceiver, ReadOfNothingChangesNothing) {
    auto receiver = std::make_unique<FrameReceiver>();
    EXPECT_EQ(receiver->Received(0, 5), Status::Empty);
    Feed(*receiver, kBoardFrame, 5);
    EXPECT_EQ(receiver->Received(0, 6), Status::Complete);
}

TEST(FrameReceiver, TakesAFrameOfTheWholeBufferSize) {
    Bytes messages;
    while (messages.size() + kHeaderSize + kCheckSize < kBufferSize) {
        messages.insert(messages.end(), {30, 2});
    }
    const Bytes frame = FrameOf(messages);
    ASSERT_EQ(frame.size(), kBufferSize);
    auto receiver = std::make_unique<FrameReceiver>();
    EXPECT_EQ(Feed(*receiver, std::span(frame).first(40000), 0), Status::Incomplete);
    EXPECT_EQ(Feed(*receiver, std::span(frame).subspan(40000), 1), Status::Complete);
    EXPECT_EQ(CheckFrame(receiver->bytes()), FrameCheck::Good);
}

}  // namespace
}  // namespace quib::protocol
