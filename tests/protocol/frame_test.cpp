#include "protocol/frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "frame_test_util.h"
#include "tests/support/case_name.h"

namespace quib::protocol {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FrameOf;
using testing::Reseal;
using testing::ToBytes;

const Bytes kMessage30Frame = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0x00, 0x00,
                               0x00, 0x1E, 0x02, 0x2B, 0xB4, 0xDE, 0x6D};

// Records every message the parse hands over; refuses the types it is told to.
struct Recorder {
    std::vector<std::pair<std::uint8_t, Bytes>> seen;
    std::uint8_t refusedType = 0;
    bool operator()(std::uint8_t type, std::span<const std::uint8_t> body) {
        if (refusedType != 0 && type == refusedType) {
            return false;
        }
        seen.emplace_back(type, ToBytes(body));
        return true;
    }
};

TEST(SendBuffer, BuildsTheFourteenByteFrameStartFrame) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    ASSERT_TRUE(buffer->Append(30, {}));
    EXPECT_THAT(ToBytes(buffer->FinishFrame()), ElementsAreArray(kMessage30Frame));
}

TEST(SendBuffer, StartingAgainReusesTheBufferFromTheTop) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    const std::uint8_t body[] = {1, 2, 3};
    ASSERT_TRUE(buffer->Append(200, body));
    buffer->FinishFrame();
    buffer->StartFrame();
    ASSERT_TRUE(buffer->Append(30, {}));
    EXPECT_THAT(ToBytes(buffer->FinishFrame()), ElementsAreArray(kMessage30Frame));
}

TEST(SendBuffer, RefusesWhatDoesNotFitAndStaysAValidFrame) {
    auto buffer = std::make_unique<SendBuffer>();
    const Bytes maxBody(kMaxBodySize, 0xAB);
    EXPECT_FALSE(buffer->Append(200, maxBody)) << "no frame started";
    buffer->StartFrame();
    EXPECT_FALSE(buffer->Append(200, Bytes(kMaxBodySize + 1, 0)));
    std::size_t appended = 0;
    while (buffer->Append(200, maxBody)) {
        ++appended;
    }
    EXPECT_EQ(appended, (kBufferSize - kHeaderSize - kCheckSize) / kMaxMessageSize);
    const std::size_t before = buffer->length();
    std::size_t filler = 0;
    while (buffer->Append(30, {})) {  // the 2-byte messages fill the rest exactly
        ++filler;
    }
    EXPECT_EQ(buffer->length(), kBufferSize - kCheckSize);
    EXPECT_EQ(filler, (kBufferSize - kCheckSize - before) / 2);
    const auto frame = buffer->FinishFrame();
    EXPECT_EQ(frame.size(), kBufferSize);
    EXPECT_EQ(CheckFrame(frame), FrameCheck::Good);
    EXPECT_EQ(ParseMessages(frame, Recorder{}).executed, appended + filler);
}

TEST(SendBuffer, FinishingTwiceAddsNoSecondCheckValue) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    buffer->Append(30, {});
    buffer->FinishFrame();
    EXPECT_THAT(ToBytes(buffer->FinishFrame()), ElementsAreArray(kMessage30Frame));
    EXPECT_FALSE(buffer->Append(30, {})) << "a finished frame takes no more messages";
}

struct CheckCase {
    const char* name;
    Bytes (*make)();
    FrameCheck expected;
};

// Each case breaks exactly one check and keeps the others satisfied.
const CheckCase kCheckCases[] = {
    {"Good", [] { return kMessage30Frame; }, FrameCheck::Good},
    {"Empty", [] { return Bytes{}; }, FrameCheck::TooShort},
    {"WrongMagic",
     [] {
         Bytes f = kMessage30Frame;
         f[2] = 0xEF;
         Reseal(f);
         return f;
     },
     FrameCheck::BadMagic},
    {"LengthFieldOneLarger",
     [] {
         Bytes f = kMessage30Frame;
         StoreU32(f.data() + 4, 15);
         Reseal(f);
         return f;
     },
     FrameCheck::BadLength},
    {"LengthFieldOneSmaller",
     [] {
         Bytes f = kMessage30Frame;
         StoreU32(f.data() + 4, 13);
         Reseal(f);
         return f;
     },
     FrameCheck::BadLength},
    {"OneByteBeyondTheLengthField",
     [] {
         Bytes f = kMessage30Frame;
         f.push_back(0x00);
         return f;
     },
     FrameCheck::BadLength},
    {"WrongCheckValue",
     [] {
         Bytes f = kMessage30Frame;
         f[13] ^= 0x01;
         return f;
     },
     FrameCheck::BadCheckValue},
};

class CheckFrameCase : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckFrameCase, FirstFailingCheckDecides) {
    const Bytes frame = GetParam().make();
    EXPECT_EQ(CheckFrame(frame), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, CheckFrameCase, ::testing::ValuesIn(kCheckCases),
                         quib::testing::CaseName());

TEST(CheckFrame, ThirteenByteInputWithAgreeingFieldsIsBad) {
    // magic, length field 13, one byte of message, and a matching check value
    Bytes f = {0xFE, 0xFE, 0xFE, 0xFE, 13, 0, 0, 0, 0x1E, 0, 0, 0, 0};
    Reseal(f);
    ASSERT_EQ(LoadU32(f.data() + 4), f.size());
    EXPECT_EQ(CheckFrame(f), FrameCheck::TooShort);
}

TEST(CheckFrame, EverySingleByteFlipMakesAFrameBad) {
    const Bytes good = FrameOf({33, 8, 0xFF, 0xFF, 0xFF, 0xFF, 'H', 'i', 30, 2});
    ASSERT_EQ(CheckFrame(good), FrameCheck::Good);
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t bit = 1; bit != 0; bit = static_cast<std::uint8_t>(bit << 1)) {
            Bytes bad = good;
            bad[i] ^= bit;
            EXPECT_NE(CheckFrame(bad), FrameCheck::Good) << "byte " << i << " bit " << int(bit);
        }
    }
}

TEST(ParseMessages, ExecutesEveryMessageInOrderAndEndsNormally) {
    Recorder recorder;
    const auto result = ParseMessages(FrameOf({30, 2, 200, 3, 0xFF, 201, 2}), recorder);
    EXPECT_TRUE(result.good);
    EXPECT_EQ(result.executed, 3u);
    ASSERT_EQ(recorder.seen.size(), 3u);
    EXPECT_EQ(recorder.seen[0].first, 30);
    EXPECT_THAT(recorder.seen[1].second, ElementsAre(0xFF));
    EXPECT_EQ(recorder.seen[2].first, 201);
}

struct ParseCase {
    const char* name;
    Bytes messages;
    bool good;
    std::size_t executed;
};

const ParseCase kParseCases[] = {
    {"LengthByteZeroStopsAfterEarlierMessages", {30, 2, 201, 2, 33, 0, 0, 0}, false, 2},
    {"LengthByteOneStops", {30, 2, 33, 1, 0, 0}, false, 1},
    {"LastMessageEndsExactlyAtTheCheckValue", {30, 2, 200, 3, 0x01}, true, 2},
    {"MessageRunningIntoTheCheckValueIsNotExecuted", {30, 2, 200, 4, 0x01}, false, 1},
    {"MessageRunningPastTheFrameIsNotExecuted", {30, 2, 226, 255, 0}, false, 1},
    {"SingleTrailingByteBeforeTheCheckValue", {30, 2, 201}, false, 1},
};

class ParseMessagesCase : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseMessagesCase, StopsWhereTheMessagesEnd) {
    const Bytes frame = FrameOf(GetParam().messages);
    ASSERT_EQ(CheckFrame(frame), FrameCheck::Good);
    Recorder recorder;
    const auto result = ParseMessages(frame, recorder);
    EXPECT_EQ(result.good, GetParam().good);
    EXPECT_EQ(result.executed, GetParam().executed);
    EXPECT_EQ(recorder.seen.size(), GetParam().executed);
}

INSTANTIATE_TEST_SUITE_P(Frames, ParseMessagesCase, ::testing::ValuesIn(kParseCases),
                         quib::testing::CaseName());

TEST(ParseMessages, HandlerFailureStopsTheParseKeepingEarlierMessages) {
    Recorder recorder;
    recorder.refusedType = 99;
    const auto result = ParseMessages(FrameOf({30, 2, 99, 2, 201, 2}), recorder);
    EXPECT_FALSE(result.good);
    EXPECT_EQ(result.executed, 1u);
    EXPECT_EQ(recorder.seen.size(), 1u);
}

// A frame of `count` two-byte messages. Only the parse looks at it, so it may
// be longer than any receive buffer.
Bytes ManyMessages(std::size_t count) {
    Bytes messages;
    for (std::size_t i = 0; i < count; ++i) {
        messages.insert(messages.end(), {30, 2});
    }
    return FrameOf(messages);
}

TEST(ParseMessages, StopsAfterThe32763rdMessage) {
    std::size_t calls = 0;
    const auto result = ParseMessages(ManyMessages(kMaxMessagesPerFrame + 5), [&](auto, auto) {
        ++calls;
        return true;
    });
    EXPECT_FALSE(result.good);
    EXPECT_EQ(calls, 32763u);
}

TEST(ParseMessages, The32763rdMessageEndingTheFrameEndsItNormally) {
    const auto result = ParseMessages(ManyMessages(kMaxMessagesPerFrame), Recorder{});
    EXPECT_TRUE(result.good);
    EXPECT_EQ(result.executed, 32763u);
}

TEST(ExecuteFrame, RunsNothingOfAFrameThatFailsItsChecks) {
    Bytes frame = FrameOf({30, 2, 201, 2});
    frame[9] = 3;  // message length changed, check value now wrong
    Recorder recorder;
    EXPECT_FALSE(ExecuteFrame(frame, recorder));
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_TRUE(ExecuteFrame(FrameOf({30, 2, 201, 2}), recorder));
    EXPECT_EQ(recorder.seen.size(), 2u);
}

}  // namespace
}  // namespace quib::protocol
