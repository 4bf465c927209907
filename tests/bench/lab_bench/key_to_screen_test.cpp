// How the key-to-screen measurement reads what it sees: the change between
// two pictures of the figure's band, the band itself, the TCP segments on
// the loopback interface, the keys a reply reports, and one press taken
// apart along the exchange.
#include <gtest/gtest.h>

#include <vector>

#include "bench/lab_bench/key_to_screen.h"
#include "bench/lab_bench/screen_probe.h"
#include "bench/lab_bench/wire_watch.h"
#include "protocol/reply.h"

namespace quib::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRight = 39;
constexpr int kLeft = 37;
constexpr int kServerPort = 6832;
constexpr int kPlayerPort = 40112;
constexpr int kOtherPlayerPort = 40120;

RgbaImage Plain(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    RgbaImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    }
    return image;
}

void Paint(RgbaImage& image, int x, int y, std::initializer_list<std::uint8_t> rgba) {
    std::copy(rgba.begin(), rgba.end(),
              image.pixels.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + x) * 4);
}

TEST(ChangedPixels, CountsPixelsBeyondTheToleranceInAnyColourChannel) {
    const RgbaImage still = Plain(4, 2, 100, 100, 255);
    RgbaImage now = still;
    EXPECT_EQ(ChangedPixels(still, now, 8), 0);
    Paint(now, 0, 0, {100, 100, 247, 255});  // within the tolerance
    Paint(now, 1, 0, {100, 109, 255, 255});  // green beyond it
    Paint(now, 3, 1, {20, 20, 20, 255});     // all three beyond it: one pixel
    Paint(now, 2, 1, {100, 100, 255, 0});    // alpha is no colour
    EXPECT_EQ(ChangedPixels(still, now, 8), 2);
    EXPECT_EQ(ChangedPixels(still, now, 0), 3);
}

TEST(ChangedPixels, PicturesOfDifferentSizesAreNotCompared) {
    EXPECT_EQ(ChangedPixels(Plain(4, 2, 0, 0, 0), Plain(2, 4, 0, 0, 0), 8), -1);
}

TEST(FigureBand, RowsAroundTheFiguresMiddleAcrossTheViewInWindowCoordinates) {
    const e2e::BoardArea view{16, 15, 360};
    const e2e::Rect band = FigureBand(view, {60, 50, 70, 80}, 8);
    EXPECT_EQ(band.x, 16);
    EXPECT_EQ(band.width, 360);
    EXPECT_EQ(band.y, 15 + 90 - 8);
    EXPECT_EQ(band.height, 16);
    // A figure at the view's lower edge: the band stops there.
    const e2e::Rect low = FigureBand(view, {60, 340, 70, 30}, 8);
    EXPECT_EQ(low.y, 15 + 355 - 8);
    EXPECT_EQ(low.height, 360 - 347);
}

TEST(AtRest, WhereTheFigureStoodFirstOrACellToTheSideToAPixel) {
    const e2e::Rect home{45, 52, 60, 76};
    const struct {
        e2e::Rect box;
        bool atRest;
    } cases[] = {
        {home, true},
        {{225, 52, 60, 76}, true},    // the cell to the right
        {{226, 53, 61, 75}, true},    // a pixel off in each
        {{-135, 52, 60, 76}, true},   // a cell to the left of home
        {{52, 52, 60, 76}, false},    // a step on its way
        {{218, 52, 60, 76}, false},   // a step before arriving
        {{225, 232, 60, 76}, false},  // the row below
        {{225, 52, 40, 76}, false},   // partly hidden: not the whole figure
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AtRest(c.box, home, 360), c.atRest) << c.box.x << "," << c.box.y;
    }
}

// An IPv4 packet carrying a TCP segment, with `ipOptions` and `tcpOptions`
// four-byte words of options in the two headers.
std::vector<std::uint8_t> Packet(int from, int to, std::vector<std::uint8_t> payload,
                                 int ipOptions = 0, int tcpOptions = 0, int protocol = 6) {
    const std::size_t ipHeader = 20 + 4 * static_cast<std::size_t>(ipOptions);
    const std::size_t tcpHeader = 20 + 4 * static_cast<std::size_t>(tcpOptions);
    std::vector<std::uint8_t> packet(ipHeader + tcpHeader, 0);
    packet.insert(packet.end(), payload.begin(), payload.end());
    packet[0] = static_cast<std::uint8_t>(0x40 | (ipHeader / 4));
    packet[2] = static_cast<std::uint8_t>(packet.size() >> 8);
    packet[3] = static_cast<std::uint8_t>(packet.size() & 0xFF);
    packet[9] = static_cast<std::uint8_t>(protocol);
    packet[ipHeader] = static_cast<std::uint8_t>(from >> 8);
    packet[ipHeader + 1] = static_cast<std::uint8_t>(from & 0xFF);
    packet[ipHeader + 2] = static_cast<std::uint8_t>(to >> 8);
    packet[ipHeader + 3] = static_cast<std::uint8_t>(to & 0xFF);
    packet[ipHeader + 12] = static_cast<std::uint8_t>((tcpHeader / 4) << 4);
    return packet;
}

TEST(ParseTcpSegment, PortsAndPayloadPastBothHeadersOptions) {
    const auto packet = Packet(kPlayerPort, kServerPort, {1, 2, 3}, 1, 3);
    const auto segment = ParseTcpSegment(packet);
    ASSERT_TRUE(segment);
    EXPECT_EQ(segment->sourcePort, kPlayerPort);
    EXPECT_EQ(segment->destinationPort, kServerPort);
    EXPECT_EQ(std::vector<std::uint8_t>(segment->payload.begin(), segment->payload.end()),
              (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(ParseTcpSegment, PaddingBeyondThePacketsLengthIsNoPayload) {
    auto packet = Packet(kServerPort, kPlayerPort, {});
    packet.resize(packet.size() + 6, 0);  // a link layer's minimum size
    const auto segment = ParseTcpSegment(packet);
    ASSERT_TRUE(segment);
    EXPECT_TRUE(segment->payload.empty());
}

TEST(ParseTcpSegment, NothingForOtherProtocolsAndCutPackets) {
    EXPECT_FALSE(ParseTcpSegment(Packet(1, 2, {1}, 0, 0, 17)));  // UDP
    auto v6 = Packet(1, 2, {1});
    v6[0] = 0x65;
    EXPECT_FALSE(ParseTcpSegment(v6));
    const auto whole = Packet(1, 2, {1}, 0, 2);
    EXPECT_FALSE(ParseTcpSegment(std::span(whole).first(30)));  // TCP header cut
    EXPECT_FALSE(ParseTcpSegment(std::span(whole).first(12)));
}

std::vector<std::uint8_t> Reply(std::initializer_list<int> keys) {
    protocol::SendBuffer buffer;
    protocol::ReplyContent content;
    content.foreground = true;
    for (const int key : keys) {
        content.keysDown.set(static_cast<std::size_t>(key));
    }
    const auto bytes = protocol::BuildReply(buffer, content);
    return {bytes.begin(), bytes.end()};
}

TEST(ReplyKeys, TheKeysAReplyReports) {
    const auto keys = ReplyKeys(Reply({kLeft, kRight}));
    ASSERT_TRUE(keys);
    EXPECT_EQ(keys->count(), 2u);
    EXPECT_TRUE(keys->test(kLeft));
    EXPECT_TRUE(keys->test(kRight));
    EXPECT_EQ(ReplyKeys(Reply({}))->count(), 0u);
}

TEST(ReplyKeys, NothingForAPartOfAFrameOrABadOne) {
    auto reply = Reply({kRight});
    EXPECT_FALSE(ReplyKeys(std::span(reply).first(reply.size() - 1)));
    reply.back() ^= 1;  // check value
    EXPECT_FALSE(ReplyKeys(reply));
}

// A run of the exchange: frames (two segments each) and replies of the
// player at kPlayerPort every 25 ms, the other player's in between.
struct Exchange {
    Clock::time_point start = Clock::time_point() + 1h;
    std::vector<WireEvent> events;

    Clock::time_point At(double ms) const {
        return start + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double, std::milli>(ms));
    }
    void Frame(double ms, int port = kPlayerPort) {
        events.push_back({At(ms), port, false, {}});
        events.push_back({At(ms + 0.1), port, false, {}});
    }
    void Reply(double ms, std::initializer_list<int> keys = {}, int port = kPlayerPort) {
        WireEvent e{At(ms), port, true, {}};
        for (const int key : keys) {
            e.keys.set(static_cast<std::size_t>(key));
        }
        events.push_back(e);
    }
};

TEST(SplitPress, KeyToItsReplyReplyToTheNextWholeFrameAndOnToTheScreen) {
    Exchange x;
    x.Frame(0);
    x.Reply(1, {kRight});  // an earlier press, before the key was sent
    x.Frame(26);
    x.Reply(26.5, {kRight}, kOtherPlayerPort);  // the other player's
    x.Reply(27);
    x.Frame(52);
    x.Reply(53, {kLeft});  // another key
    x.Frame(78);
    x.Reply(79, {kRight});
    x.Frame(104, kOtherPlayerPort);
    x.Frame(105);
    x.Reply(106);
    const auto split = SplitPress(x.events, kPlayerPort, x.At(30), kRight, x.At(107));
    ASSERT_TRUE(split);
    EXPECT_NEAR(split->keyToReply, 49, 1e-6);
    EXPECT_NEAR(split->replyToFrame, 26.1, 1e-6);  // to the frame's last segment
    EXPECT_NEAR(split->frameToScreen, 1.9, 1e-6);
}

TEST(SplitPress, NothingWhenTheWireShowsNoWholeExchangeBeforeTheScreenChanged) {
    Exchange x;
    x.Frame(0);
    x.Reply(1, {kRight});
    x.Frame(26);
    // The screen changed before the frame arrived: not this exchange.
    EXPECT_FALSE(SplitPress(x.events, kPlayerPort, x.At(0.5), kRight, x.At(20)));
    // No reply reported the key after it was sent.
    EXPECT_FALSE(SplitPress(x.events, kPlayerPort, x.At(2), kRight, x.At(40)));
    // The capture ended before the next frame.
    Exchange cut;
    cut.Reply(1, {kRight});
    EXPECT_FALSE(SplitPress(cut.events, kPlayerPort, cut.At(0), kRight, cut.At(40)));
}

TEST(MedianExchangeMs, BetweenOnePlayersReplies) {
    Exchange x;
    for (const double ms : {0.0, 25.0, 51.0, 77.0, 102.0}) {
        x.Reply(ms);
        x.Reply(ms + 3, {}, kOtherPlayerPort);
    }
    EXPECT_NEAR(MedianExchangeMs(x.events, kPlayerPort), 25.0, 1e-6);  // of 25, 26, 26, 25
    EXPECT_EQ(MedianExchangeMs({}, kPlayerPort), 0);
}

}  // namespace
}  // namespace quib::bench
