// The exchange with a seated player: one frame in flight, the pause after
// each reply, what counts as a reply, and the connection-quality graph.

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <vector>

#include "common/drawing_values.h"
#include "common/key_codes.h"
#include "protocol/messages.h"
#include "protocol/reply.h"
#include "tests/server/engine/engine_fixture.h"
#include "tests/server/engine/graph_bars.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::BarHeight;
using quib::testing::EngineFixture;
using quib::testing::kRightmostColumn;
using tools::TestClient;
using Status = protocol::FrameReceiver::Status;

std::vector<std::uint8_t> Reply(std::bitset<256> keys) {
    protocol::SendBuffer buffer;
    protocol::ReplyContent content;
    content.keysDown = keys;
    content.foreground = true;
    const auto frame = protocol::BuildReply(buffer, content);
    return {frame.begin(), frame.end()};
}

class Exchange : public EngineFixture {};

// The server waits for every reply, however long it takes and however far
// its clock runs meanwhile. The first update builds the player's screen;
// with no game running nothing changes after it, so the frames carry
// message 30 alone.
TEST_F(Exchange, NeverSendsASecondFrameBeforeTheReply) {
    TestClient client;
    client.SetReplyDelayMs(15);
    ASSERT_EQ(Seat(client), 0);
    // 50 ms of engine time per pass: time-outs and pauses expire constantly.
    ASSERT_TRUE(PumpAdvancingUntil(50, [&] { return client.RepliesSent() >= 6; }));

    const auto frames = client.Frames();
    ASSERT_GE(frames.size(), 6U);
    EXPECT_TRUE(quib::testing::IsGreeting(frames[0]));
    EXPECT_TRUE(quib::testing::IsUpdateFrame(frames[1]));
    for (std::size_t i = 2; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i], quib::testing::kFrameStartOnly) << "frame " << i;
    }
    EXPECT_EQ(client.RhythmViolations(), 0U);
    EXPECT_EQ(client.BytesReceived(), TotalSize(frames));
}

TEST_F(Exchange, TheNextFrameGoesOut25msAfterTheReply) {
    TestClient client;
    const int seat = SeatAndGreet(client);
    const std::uint32_t replyTime = now;
    EXPECT_EQ(link(seat).lastEventTime, replyTime);

    now = replyTime + 24;
    engine->RunPass(now);
    EXPECT_EQ(link(seat).connectionState, LinkIdle);
    now = replyTime + 25;
    engine->RunPass(now);
    EXPECT_EQ(link(seat).connectionState, LinkAwaitingReply);
    EXPECT_EQ(link(seat).lastEventTime, now);
    ASSERT_TRUE(PumpUntil([&] { return client.FramesReceived() == 2; }));
    EXPECT_TRUE(quib::testing::IsUpdateFrame(client.Frames()[1]));
}

// Counted in whole milliseconds, a reply taken in late in a millisecond
// would get its next frame up to a millisecond early or late; the pause is
// 25 ms to the microsecond, also where the microsecond timer wraps.
struct PauseCase {
    const char* name;
    std::uint32_t replyUs;  // when the reply is taken in
};

class ExchangePause : public Exchange, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(ExchangePause, TheNextFrameGoesOutWhen25msHavePassedToTheMicrosecond) {
    using namespace std::chrono_literals;
    TestClient client;
    const int seat = Seat(client);
    const Moment reply{now, GetParam().replyUs};
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    while (link(seat).connectionState != LinkIdle && std::chrono::steady_clock::now() < end) {
        engine->RunPass(reply, engine->NextSocketEvent(2ms));
    }
    ASSERT_EQ(link(seat).connectionState, LinkIdle);

    const Moment almost{now + 25, reply.us + kUpdatePauseUs - 1};
    engine->RunPass(almost, {});
    EXPECT_EQ(link(seat).connectionState, LinkIdle);
    EXPECT_EQ(engine->TimeUntilNextPass(almost, 25ms), 1us);

    const Moment due{now + 25, reply.us + kUpdatePauseUs};
    engine->RunPass(due, {});
    EXPECT_EQ(link(seat).connectionState, LinkAwaitingReply);
    ASSERT_TRUE(PumpUntil([&] { return client.FramesReceived() == 2; }));
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangePause,
                         ::testing::Values(PauseCase{"LateInAMillisecond", 50000U * 1000U + 700U},
                                           PauseCase{"WhereTheMicrosecondTimerWraps",
                                                     0xFFFFFFFFU - 300U}),
                         quib::testing::CaseName());

TEST_F(Exchange, AReplyArrivingInTwoPiecesIsOneReply) {
    TestClient client;
    client.SetAnswering(false);
    const int seat = Seat(client);
    ASSERT_TRUE(PumpUntil([&] { return client.FramesReceived() == 1; }));
    const std::vector<std::uint8_t> reply = Reply(std::bitset<256>().set(kKeyLeft));
    const std::span<const std::uint8_t> bytes(reply);

    ASSERT_TRUE(client.SendRaw(bytes.first(5)));
    ASSERT_TRUE(PumpUntil([&] { return link(seat).receiver.status() == Status::Incomplete; }));
    EXPECT_EQ(link(seat).connectionState, LinkAwaitingReply);

    ASSERT_TRUE(client.SendRaw(bytes.subspan(5)));
    ASSERT_TRUE(PumpUntil([&] { return link(seat).connectionState == LinkIdle; }));
    EXPECT_EQ(engine->game().keyTable[seat][kKeyLeft], 1);
    EXPECT_EQ(link(seat).receiver.status(), Status::Empty);
}

// Whatever arrives while a frame is out is its reply: a broken one reports
// no keys, but the exchange goes on.
struct BadReplyCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    // A started frame is given up after the completion limit ...
    std::uint32_t completesAfterMs;
    // ... and its rest, should it come after all, is no reply of its own.
    std::vector<std::uint8_t> lateRest;
    // Frames the player has received when its keys are seen again: the
    // reply after a rest that never comes is taken for that rest, so one
    // more reply is lost to a peer that breaks off its own frame.
    std::size_t framesUntilKeysSeen = 2;
};

std::vector<std::uint8_t> WithFlippedCheckValue() {
    std::vector<std::uint8_t> reply = Reply(std::bitset<256>().set(kKeyRight));
    reply.back() ^= 0x01;
    return reply;
}

std::vector<std::uint8_t> TwoRepliesAtOnce() {
    std::vector<std::uint8_t> twice = Reply(std::bitset<256>().set(kKeyRight));
    const std::vector<std::uint8_t> again = twice;
    for (std::uint8_t b : again) {
        twice.push_back(b);
    }
    return twice;
}

const std::vector<std::uint8_t> kReplyWithRightArrow = Reply(std::bitset<256>().set(kKeyRight));

std::vector<std::uint8_t> FirstBytesOfAReply() {
    return {kReplyWithRightArrow.begin(), kReplyWithRightArrow.begin() + 10};
}

std::vector<std::uint8_t> RestOfTheReply() {
    return {kReplyWithRightArrow.begin() + 10, kReplyWithRightArrow.end()};
}

std::vector<std::uint8_t> BadFrameReport() {
    protocol::SendBuffer buffer;
    const auto frame = protocol::BuildBadFrameReport(buffer);
    return {frame.begin(), frame.end()};
}

class BrokenReply : public EngineFixture, public ::testing::WithParamInterface<BadReplyCase> {};

TEST_P(BrokenReply, CountsAsTheReplyAndTheExchangeGoesOn) {
    const BadReplyCase& c = GetParam();
    TestClient client;
    client.SetAnswering(false);
    client.SetKeysDown(std::bitset<256>().set(kKeyDown));
    const int seat = Seat(client);
    ASSERT_TRUE(PumpUntil([&] { return client.FramesReceived() == 1; }));
    engine->game().keyTable[seat][kKeyRight] = 1;  // left over from an earlier reply

    ASSERT_TRUE(client.SendRaw(c.bytes));
    if (c.completesAfterMs > 0) {
        ASSERT_TRUE(PumpUntil([&] { return link(seat).receiver.status() == Status::Incomplete; }));
        engine->RunPass(now + c.completesAfterMs - 1);
        EXPECT_EQ(link(seat).connectionState, LinkAwaitingReply);
        now += c.completesAfterMs;
        engine->RunPass(now);
        if (!c.lateRest.empty()) {
            ASSERT_TRUE(client.SendRaw(c.lateRest));
        }
    } else {
        ASSERT_TRUE(PumpUntil([&] { return link(seat).connectionState == LinkIdle; }));
    }
    EXPECT_EQ(link(seat).connectionState, LinkIdle);
    EXPECT_EQ(engine->game().keyTable[seat][kKeyRight], 0);
    EXPECT_EQ(state.seatLines[seat].hostLine, "Host: ?") << "no host name from a broken reply";

    client.SetAnswering(true);
    ASSERT_TRUE(
        PumpAdvancingUntil(5, [&] { return engine->game().keyTable[seat][kKeyDown] == 1; }));
    EXPECT_EQ(client.FramesReceived(), c.framesUntilKeysSeen);
    EXPECT_EQ(client.RhythmViolations(), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BrokenReply,
    ::testing::Values(
        BadReplyCase{
            "NotAFrame", {'g', 'a', 'r', 'b', 'a', 'g', 'e', '!', '!', '!', '!', '!'}, 0, {}, 2},
        BadReplyCase{"WrongCheckValue", WithFlippedCheckValue(), 0, {}, 2},
        BadReplyCase{"TwoFramesInOneRead", TwoRepliesAtOnce(), 0, {}, 2},
        BadReplyCase{"ThePlayersBadFrameReport", BadFrameReport(), 0, {}, 2},
        BadReplyCase{"StartedButNeverFinished",
                     FirstBytesOfAReply(),
                     protocol::FrameReceiver::kCompletionLimitMs,
                     {},
                     3},
        BadReplyCase{"FinishedAfterTheLimit", FirstBytesOfAReply(),
                     protocol::FrameReceiver::kCompletionLimitMs, RestOfTheReply(), 2}),
    quib::testing::CaseName());

// A reply that comes in while the seat has nothing out is kept, and taken as
// the reply to the next frame as soon as that is sent.
TEST_F(Exchange, AReplyWaitingWhileIdleAnswersTheNextFrame) {
    TestClient client;
    const int seat = SeatAndGreet(client);
    client.SetAnswering(false);
    const std::uint32_t replyTime = now;
    ASSERT_TRUE(client.SendRaw(Reply(std::bitset<256>().set(kKeyUp))));
    ASSERT_TRUE(PumpUntil([&] { return link(seat).receiver.status() == Status::Complete; }));
    EXPECT_EQ(link(seat).connectionState, LinkIdle);
    EXPECT_EQ(engine->game().keyTable[seat][kKeyUp], 0);

    now = replyTime + 25;
    engine->RunPass(now);
    EXPECT_EQ(link(seat).connectionState, LinkAwaitingReply);
    now += 1;
    engine->RunPass(now);
    EXPECT_EQ(link(seat).connectionState, LinkIdle);
    EXPECT_EQ(engine->game().keyTable[seat][kKeyUp], 1);
    EXPECT_EQ(BarHeight(engine->links().graphs[seat].image(), kRightmostColumn, qRgb(0, 255, 0)),
              1);
}

// The round trip of a reply in the seat's graph, on a fixed clock.
struct RoundTripCase {
    const char* name;
    std::uint32_t roundTripMs;
    int height;
    Colour colour;
};

class RoundTripColumn : public EngineFixture,
                        public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTripColumn, IsDrawnWhenTheReplyIsTakenIn) {
    const RoundTripCase& c = GetParam();
    SeatLink& seat = link(1);
    seat.connectionState = LinkAwaitingReply;
    seat.lastEventTime = now;
    const std::vector<std::uint8_t> reply = Reply(std::bitset<256>().set(kKeyRight));
    std::memcpy(seat.receiver.FreeSpace().data(), reply.data(), reply.size());
    ASSERT_EQ(seat.receiver.Received(reply.size(), now), Status::Complete);

    now += c.roundTripMs;
    engine->links().ServiceSeat(1, Moment::FromMs(now));
    EXPECT_EQ(seat.connectionState, LinkIdle);
    EXPECT_EQ(seat.lastEventTime, now);
    EXPECT_EQ(engine->game().keyTable[1][kKeyRight], 1);
    EXPECT_EQ(
        BarHeight(engine->links().graphs[1].image(), kRightmostColumn, WireColour(c.colour).rgb()),
        c.height);
    EXPECT_EQ(BarHeight(engine->links().graphs[1].image(), kRightmostColumn - 1, qRgb(0, 0, 0)),
              20);
    EXPECT_EQ(state.refreshStrips, 1);
}

INSTANTIATE_TEST_SUITE_P(
    RoundTrips, RoundTripColumn,
    ::testing::Values(RoundTripCase{"TenMsIsGreenEight", 10, 8, kGraphFastReply},
                      RoundTripCase{"ThirtyMsIsYellowFull", 30, 20, kGraphSlowReply},
                      RoundTripCase{"OneMsIsRaisedToOne", 1, 1, kGraphFastReply},
                      RoundTripCase{"NoTimeAtAllIsStillOne", 0, 1, kGraphFastReply},
                      RoundTripCase{"TwentyFiveMsIsGreenFull", 25, 20, kGraphFastReply},
                      RoundTripCase{"TwentySixMsIsYellowFull", 26, 20, kGraphSlowReply}),
    quib::testing::CaseName());

// With nothing happening, a seat is marked every 200 ms: blue while free,
// red while its reply is missing.
struct WatchCase {
    const char* name;
    ConnectionState connectionState;
    QRgb colour;
    std::uint32_t start;
};

class ReplyWatch : public EngineFixture, public ::testing::WithParamInterface<WatchCase> {};

TEST_P(ReplyWatch, MarksEvery200ms) {
    const WatchCase& c = GetParam();
    SeatLink& seat = link(0);
    seat.connectionState = c.connectionState;
    seat.lastEventTime = c.start;
    const QImage& graph = engine->links().graphs[0].image();

    engine->links().ServiceSeat(0, Moment::FromMs(c.start + 200));
    EXPECT_EQ(BarHeight(graph, kRightmostColumn, c.colour), 0);
    EXPECT_EQ(state.refreshStrips, 0);
    engine->links().ServiceSeat(0, Moment::FromMs(c.start + 201));
    EXPECT_EQ(BarHeight(graph, kRightmostColumn, c.colour), 20);
    EXPECT_EQ(state.refreshStrips, 1);
    engine->links().ServiceSeat(0, Moment::FromMs(c.start + 401));
    EXPECT_EQ(BarHeight(graph, kRightmostColumn - 1, c.colour), 0);
    engine->links().ServiceSeat(0, Moment::FromMs(c.start + 402));
    EXPECT_EQ(BarHeight(graph, kRightmostColumn - 1, c.colour), 20);
    EXPECT_EQ(BarHeight(graph, kRightmostColumn, c.colour), 20);
    EXPECT_EQ(seat.connectionState, c.connectionState);
}

INSTANTIATE_TEST_SUITE_P(
    States, ReplyWatch,
    ::testing::Values(WatchCase{"FreeSeatBlue", LinkFree, qRgb(0, 0, 255), 1000},
                      WatchCase{"MissingReplyRed", LinkAwaitingReply, qRgb(255, 0, 0), 1000},
                      WatchCase{"AcrossTheTimerWrap", LinkFree, qRgb(0, 0, 255), 0xFFFFFF80U}),
    quib::testing::CaseName());

TEST_F(Exchange, APassServicesBothSeats) {
    engine->RunPass(now + 201);
    for (int seat = 0; seat < kSeats; ++seat) {
        EXPECT_EQ(
            BarHeight(engine->links().graphs[seat].image(), kRightmostColumn, qRgb(0, 0, 255)), 20)
            << "seat " << seat;
    }
}

}  // namespace
}  // namespace quib::server
