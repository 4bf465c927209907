// Which connection gets which seat, what the experimenter's panel shows, and
// what a lost connection leaves behind.

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <memory>
#include <span>
#include <string>

#include "common/key_codes.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/server/engine/engine_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::EngineFixture;
using tools::TestClient;

void ExecuteOn(SeatMirror& mirror, std::span<const std::uint8_t> frame) {
    ASSERT_TRUE(protocol::ExecuteFrame(
        frame, [&mirror](std::uint8_t type, std::span<const std::uint8_t> body) {
            return mirror.Execute(type, body);
        }));
}

// What a frame that paints both views white and presents them does to the
// seat's mirror.
void PresentWhite(SeatMirror& mirror) {
    constexpr protocol::Colour kWhite = 0x00FFFFFF;
    auto frame = std::make_unique<protocol::SendBuffer>();
    frame->StartFrame();
    for (const std::int8_t view : {protocol::kOwnViewSlot, protocol::kPartnerViewSlot}) {
        protocol::Append(*frame, protocol::BeginDrawing{view});
        protocol::Append(*frame, protocol::Box{0.0f, 0.0f, 1.0f, 1.0f, kWhite});
    }
    protocol::Append(*frame, protocol::Present{});
    ExecuteOn(mirror, frame->FinishFrame());
}

bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(0, 0, 0)) {
                return false;
            }
        }
    }
    return true;
}

bool NoKeys(const std::array<std::int32_t, kKeyCodes>& keys) {
    return std::all_of(keys.begin(), keys.end(), [](std::int32_t k) { return k == 0; });
}

class Seats : public EngineFixture {};

TEST_F(Seats, FirstTwoAreSeatedInOrderAndAThirdIsClosedAtOnce) {
    TestClient first;
    TestClient second;
    TestClient third;
    EXPECT_EQ(Seat(first), 0);
    EXPECT_EQ(Seat(second), 1);
    EXPECT_EQ(state.seatLines[0].addressLine, "Spieler 1 - IP: 127.0.0.1");
    EXPECT_EQ(state.seatLines[1].addressLine, "Spieler 2 - IP: 127.0.0.1");
    EXPECT_EQ(state.refreshSeatLines, 1);
    EXPECT_EQ(state.refreshControls, 1);
    EXPECT_EQ(engine->links().links[0].rememberedAddress, "127.0.0.1");
    EXPECT_EQ(engine->links().links[1].rememberedAddress, "127.0.0.1");

    ASSERT_TRUE(third.Connect(port()));
    ASSERT_TRUE(PumpUntil([&] { return third.ClosedByServer(); }));
    EXPECT_EQ(third.FramesReceived(), 0U);

    // Both seated players are greeted: message 35 alone.
    ASSERT_TRUE(PumpUntil([&] { return first.FramesReceived() + second.FramesReceived() == 2; }));
    EXPECT_TRUE(quib::testing::IsGreeting(first.Frames()[0]));
    EXPECT_TRUE(quib::testing::IsGreeting(second.Frames()[0]));
}

// Every client of these tests comes from 127.0.0.1; the remembered addresses
// are set up to stand for other computers.
struct ReturnCase {
    const char* name;
    const char* rememberedForSeat0;
    const char* rememberedForSeat1;
    int expectedSeat;
};

class SeatChoice : public EngineFixture, public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(SeatChoice, WithBothSeatsFree) {
    const ReturnCase& c = GetParam();
    engine->links().links[0].rememberedAddress = c.rememberedForSeat0;
    engine->links().links[1].rememberedAddress = c.rememberedForSeat1;
    TestClient client;
    const int seat = Seat(client);
    EXPECT_EQ(seat, c.expectedSeat);
    EXPECT_EQ(engine->links().links[c.expectedSeat].rememberedAddress, "127.0.0.1");
    EXPECT_EQ(state.seatLines[c.expectedSeat].addressLine,
              "Spieler " + std::to_string(c.expectedSeat + 1) + " - IP: 127.0.0.1");
}

INSTANTIATE_TEST_SUITE_P(
    Returning, SeatChoice,
    ::testing::Values(ReturnCase{"ComputerOfSeat1GetsItBack", "10.0.0.1", "127.0.0.1", 1},
                      ReturnCase{"NewComputerGetsSeat0", "10.0.0.1", "10.0.0.2", 0},
                      ReturnCase{"NoComputerSeenYetGetsSeat0", "", "", 0},
                      ReturnCase{"ComputerRememberedForBothGetsSeat1", "127.0.0.1", "127.0.0.1",
                                 1}),
    quib::testing::CaseName());

TEST_F(Seats, ARememberedSeatThatIsTakenIsNotGivenAgain) {
    engine->links().links[1].rememberedAddress = "127.0.0.1";
    TestClient home;
    TestClient next;
    EXPECT_EQ(Seat(home), 1);
    EXPECT_EQ(Seat(next), 0);
}

TEST_F(Seats, ASeat1PlayerWhoReconnectsWhileBothAreFreeGetsSeat1Back) {
    TestClient first;
    TestClient second;
    ASSERT_EQ(Seat(first), 0);
    ASSERT_EQ(Seat(second), 1);
    first.Close();
    second.Close();
    ASSERT_TRUE(PumpUntil([&] { return !Taken(0) && !Taken(1); }));
    // The player of seat 0 sat at another computer.
    engine->links().links[0].rememberedAddress = "10.0.0.1";
    TestClient again;
    EXPECT_EQ(Seat(again), 1);
}

TEST_F(Seats, TheHostNameIsShownWithTheFirstReply) {
    TestClient client;
    client.SetHostName("B\xFCro-7");  // Windows-1252, as the player program sends it
    const int seat = SeatAndGreet(client);
    EXPECT_EQ(state.seatLines[seat].hostLine, "Host: B\xFCro-7");
    EXPECT_EQ(state.seatLines[seat].addressLine, "Spieler 1 - IP: 127.0.0.1");
    EXPECT_EQ(state.refreshSeatLines, 1);
}

TEST_F(Seats, TheKeyTableHoldsTheKeysOfTheLatestReplyAndEmptiesWhenThePlayerLeaves) {
    TestClient client;
    client.SetKeysDown(std::bitset<256>().set(kKeyRight));
    const int seat = SeatAndGreet(client);
    std::array<std::int32_t, kKeyCodes> expected{};
    expected[kKeyRight] = 1;
    EXPECT_EQ(engine->game().keyTable[seat], expected);

    client.SetKeysDown(std::bitset<256>().set(kKeyLeft).set(kKeySpace));
    ASSERT_TRUE(
        PumpAdvancingUntil(5, [&] { return engine->game().keyTable[seat][kKeyLeft] == 1; }));
    expected = {};
    expected[kKeyLeft] = 1;
    expected[kKeySpace] = 1;
    EXPECT_EQ(engine->game().keyTable[seat], expected);

    client.Close();
    ASSERT_TRUE(PumpUntil([&] { return !Taken(seat); }));
    EXPECT_TRUE(NoKeys(engine->game().keyTable[seat]));
}

TEST_F(Seats, LosingAConnectionClearsThePanelAndRebuildsBothScreens) {
    TestClient first;
    TestClient second;
    ASSERT_EQ(SeatAndGreet(first), 0);
    ASSERT_EQ(SeatAndGreet(second), 1);
    PresentWhite(engine->mirrors().Mirror(1));
    ASSERT_EQ(engine->mirrors().Screen(1).pixel(240, 240), qRgb(255, 255, 255));
    ASSERT_EQ(engine->mirrors().PartnerView(1).pixel(85, 85), qRgb(255, 255, 255));
    for (SeatRecord& seat : engine->game().seats) {
        seat.scoreTextSent = seat.scoreText;
        seat.ownBoardDrawn = 1;
        seat.pictureSent = 1;
    }
    state.refreshControls = 0;
    state.refreshSeatLines = 0;

    second.Close();
    ASSERT_TRUE(PumpUntil([&] { return !Taken(1); }));
    EXPECT_EQ(link(1).connectionState, LinkFree);
    EXPECT_EQ(link(1).lastEventTime, now);
    EXPECT_EQ(state.seatLines[1].addressLine, "Spieler 2 - IP: ?");
    EXPECT_EQ(state.seatLines[1].hostLine, "Host: ?");
    EXPECT_EQ(state.refreshSeatLines, 1);
    EXPECT_TRUE(AllBlack(engine->mirrors().Screen(1)));
    EXPECT_TRUE(AllBlack(engine->mirrors().PartnerView(1)));
    EXPECT_EQ(engine->mirrors().Screen(1).size(), QSize(480, 480));
    EXPECT_EQ(engine->mirrors().PartnerView(1).size(), QSize(170, 170));
    EXPECT_EQ(state.refreshBoard[1], 1);
    EXPECT_EQ(state.refreshControls, 1);
    // Both screens are to be sent again in full; the address stays for the
    // player's return.
    for (const SeatRecord& seat : engine->game().seats) {
        EXPECT_EQ(seat.scoreTextSent, "X");
        EXPECT_EQ(seat.ownBoardDrawn, 0);
        EXPECT_EQ(seat.pictureSent, 0);
    }
    EXPECT_EQ(engine->links().links[1].rememberedAddress, "127.0.0.1");
    // The other player goes on.
    EXPECT_TRUE(Taken(0));
    EXPECT_EQ(state.seatLines[0].addressLine, "Spieler 1 - IP: 127.0.0.1");
    const std::size_t framesBefore = first.FramesReceived();
    ASSERT_TRUE(PumpAdvancingUntil(5, [&] { return first.FramesReceived() > framesBefore; }));
}

// While the player is away the window is given black; the next present,
// even one that changes nothing, shows the whole fronts again, the parts
// drawn before the player left included.
TEST_F(Seats, AClearedMirrorShowsBlackThenTheWholeFrontsAtTheNextPresent) {
    Mirrors& mirrors = engine->mirrors();
    PresentWhite(mirrors.Mirror(1));
    QImage windowCopy(480, 480, QImage::Format_RGB32);
    windowCopy.fill(Qt::red);
    mirrors.Clear(1);
    EXPECT_EQ(mirrors.CopyChangeOnto(1, Mirrors::View::Screen, windowCopy), windowCopy.rect());
    EXPECT_TRUE(AllBlack(windowCopy));

    auto frame = std::make_unique<protocol::SendBuffer>();
    frame->StartFrame();
    protocol::Append(*frame, protocol::Present{});
    ASSERT_NO_FATAL_FAILURE(ExecuteOn(mirrors.Mirror(1), frame->FinishFrame()));
    EXPECT_EQ(mirrors.Screen(1).pixel(240, 240), qRgb(255, 255, 255));
    EXPECT_EQ(mirrors.CopyChangeOnto(1, Mirrors::View::Screen, windowCopy), windowCopy.rect());
    EXPECT_TRUE(windowCopy == mirrors.Screen(1));
    QImage partnerCopy(170, 170, QImage::Format_RGB32);
    partnerCopy.fill(Qt::black);
    EXPECT_EQ(mirrors.CopyChangeOnto(1, Mirrors::View::PartnerView, partnerCopy),
              partnerCopy.rect());
    EXPECT_EQ(partnerCopy.pixel(85, 85), qRgb(255, 255, 255));
    EXPECT_TRUE(mirrors.CopyChangeOnto(1, Mirrors::View::Screen, windowCopy).isEmpty())
        << "nothing changed since";
}

// A connection that holds no seat: its data is read into the spare buffer
// and dropped, and nothing is sent back.
TEST_F(Seats, DataFromAConnectionWithoutASeatIsReadAndDropped) {
    int pair[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const std::string garbage = "not a frame at all";
    ASSERT_EQ(send(pair[0], garbage.data(), garbage.size(), 0),
              static_cast<ssize_t>(garbage.size()));

    engine->links().HandleData(pair[1], now);
    engine->links().ServiceSeat(0, Moment::FromMs(now));
    engine->links().ServiceSeat(1, Moment::FromMs(now));

    char probe = 0;
    EXPECT_EQ(recv(pair[1], &probe, 1, MSG_PEEK | MSG_DONTWAIT), -1) << "data left unread";
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_EQ(recv(pair[0], &probe, 1, MSG_DONTWAIT), -1) << "something was sent back";
    EXPECT_EQ(errno, EAGAIN);
    for (int seat = 0; seat < kSeats; ++seat) {
        EXPECT_EQ(link(seat).connectionState, LinkFree);
        EXPECT_EQ(link(seat).receiver.status(), protocol::FrameReceiver::Status::Empty);
        EXPECT_TRUE(NoKeys(engine->game().keyTable[seat]));
    }
    // Its loss frees no seat and leaves the descriptor to its owner.
    engine->links().HandleDisconnect(pair[1], now);
    EXPECT_EQ(send(pair[0], "x", 1, MSG_NOSIGNAL), 1);
    close(pair[0]);
    close(pair[1]);
}

struct ResetCase {
    const char* name;
    std::int32_t currentSeries;
    std::int32_t bestSeries;
    const char* scoreText;
};

class ResetScreensFull : public EngineFixture, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetScreensFull, StartsBothSeatsAfresh) {
    const ResetCase& c = GetParam();
    engine->game().statistics.currentSeries = c.currentSeries;
    engine->game().statistics.bestSeries = c.bestSeries;
    for (SeatRecord& seat : engine->game().seats) {
        seat.readyState = 1;
        seat.statusText = "Spiel l\xE4uft ...";
        seat.statusTextSent = seat.statusText;
        seat.partnerBoardDrawn = 1;
    }
    engine->game().ResetScreens(server::ScreenReset::Full);
    for (const SeatRecord& seat : engine->game().seats) {
        EXPECT_EQ(seat.statusText, "X");
        EXPECT_EQ(seat.statusColour, 0xFFFFFFFFU);
        EXPECT_EQ(seat.scoreText, c.scoreText);
        EXPECT_EQ(seat.scoreColour, Rgb(150, 150, 150));
        EXPECT_EQ(seat.readyState, 0);
        EXPECT_EQ(seat.statusTextSent, "X");
        EXPECT_EQ(seat.partnerBoardDrawn, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scores, ResetScreensFull,
    ::testing::Values(ResetCase{"NoPointsYet", 0, 0, "Punkte in Serie: 0 Highscore: 0"},
                      ResetCase{"CarriesTheStatistics", 3, 12, "Punkte in Serie: 3 Highscore: 12"}),
    quib::testing::CaseName());

TEST_F(Seats, APartialResetOnlyMarksTheScreensUnsent) {
    SeatRecord& seat = engine->game().seats[0];
    seat.statusText = "Bitte warten ...";
    seat.statusTextSent = seat.statusText;
    seat.readyState = 1;
    seat.partnerPictureSent = 1;
    engine->game().ResetScreens(server::ScreenReset::MarkUnsent);
    EXPECT_EQ(seat.statusText, "Bitte warten ...");
    EXPECT_EQ(seat.readyState, 1);
    EXPECT_EQ(seat.statusTextSent, "X");
    EXPECT_EQ(seat.partnerPictureSent, 0);
}

}  // namespace
}  // namespace quib::server
