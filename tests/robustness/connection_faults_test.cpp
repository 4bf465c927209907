// The server's network thread under the faults a lab network produces:
// players whose connection breaks again and again, players that hang or
// send garbage, clients beyond the two seats, and a long run of connections
// that come and go. The engine runs on its real network thread; the players
// are protocol-level test clients.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

#include "common/key_codes.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/support/live_game.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using protocol::ServerMessage;
using quib::testing::LiveGame;
using tools::TestClient;

constexpr auto kFrameWait = std::chrono::seconds(5);

std::bitset<256> Keys(std::initializer_list<int> codes) {
    std::bitset<256> keys;
    for (int code : codes) {
        keys.set(static_cast<std::size_t>(code));
    }
    return keys;
}

// Whether any of the frames carries a message of this type.
bool AnyCarries(const std::vector<std::vector<std::uint8_t>>& frames, ServerMessage type) {
    for (const auto& frame : frames) {
        bool found = false;
        protocol::ParseMessages(frame, [&](std::uint8_t t, auto) {
            found = found || t == static_cast<std::uint8_t>(type);
            return true;
        });
        if (found) {
            return true;
        }
    }
    return false;
}

int OpenFileDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// A bare TCP connection to the server, closed when it goes out of scope.
class RawConnection {
  public:
    explicit RawConnection(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ =
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return connected_; }
    // True when the server closes the connection (end of stream) before the
    // deadline; whatever it sent before is skipped.
    bool ClosedByServer() const {
        timeval timeout{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::array<char, 4096> buffer{};
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                return n == 0 || errno == ECONNRESET;
            }
        }
    }

  private:
    int fd_;
    bool connected_ = false;
};

class ConnectionFaults : public LiveGame {
  protected:
    // Connects a player and waits until it holds `seat` and has answered the
    // greeting.
    void SeatPlayer(TestClient& player, int seat) {
        ASSERT_TRUE(player.Connect(port()));
        ASSERT_TRUE(WaitFor([&] { return Taken(seat) && player.RepliesSent() >= 1; }))
            << "seat " << seat;
    }

    // Both players press space until the round runs, then let go.
    void StartRound(TestClient& a, TestClient& b) {
        a.SetKeysDown(Keys({kKeySpace}));
        b.SetKeysDown(Keys({kKeySpace}));
        ASSERT_TRUE(WaitFor([&] { return GameState() == Running; }));
        a.SetKeysDown({});
        b.SetKeysDown({});
        ASSERT_TRUE(WaitFor([&] {
            return Locked([&] {
                return engine->game().seats[0].readyState == 0 &&
                       engine->game().seats[1].readyState == 0;
            });
        }));
    }

    // Both press space until the round is judged and recorded.
    void EndRound(TestClient& a, TestClient& b) {
        a.SetKeysDown(Keys({kKeySpace}));
        b.SetKeysDown(Keys({kKeySpace}));
        ASSERT_TRUE(WaitFor([&] { return RoundsRecorded() == 1; }));
        a.SetKeysDown({});
        b.SetKeysDown({});
    }

    // Frames a seated player receives within `ms`.
    std::size_t FramesWithin(TestClient& player, int ms) {
        const std::size_t before = player.FramesReceived();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return player.FramesReceived() - before;
    }
};

// The player on seat 1 loses the connection twenty times in the middle of a
// round and comes back from the same computer each time: the seat is given
// back, the new connection's screen is built from scratch (the figure
// pictures are loaded again), the round keeps running, and it is still
// judged and written when both players end it.
TEST_F(ConnectionFaults, APlayerReconnectingTwentyTimesMidRoundKeepsTheRoundGoing) {
    TestClient stayer;
    stayer.SetHostName("stayer");
    SeatPlayer(stayer, 0);
    auto mover = std::make_unique<TestClient>();
    SeatPlayer(*mover, 1);
    StartRound(stayer, *mover);

    for (int attempt = 0; attempt < 20; ++attempt) {
        mover->Close();
        ASSERT_TRUE(WaitFor([&] { return !Taken(1); })) << "attempt " << attempt;
        EXPECT_EQ(GameState(), Running) << "attempt " << attempt;
        mover = std::make_unique<TestClient>();
        SeatPlayer(*mover, 1);
        ASSERT_TRUE(mover->WaitForFrames(4, kFrameWait)) << "attempt " << attempt;
        EXPECT_TRUE(AnyCarries(mover->Frames(), ServerMessage::LoadPicture))
            << "attempt " << attempt;
        EXPECT_TRUE(AnyCarries(mover->Frames(), ServerMessage::Present)) << "attempt " << attempt;
        EXPECT_TRUE(Taken(0));
    }

    EXPECT_GT(FramesWithin(stayer, 200), 2u);
    EndRound(stayer, *mover);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "log/r000000.csv"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "log/g000000.csv"));
    EXPECT_EQ(stayer.RhythmViolations(), 0u);
    EXPECT_EQ(mover->RhythmViolations(), 0u);
}

// Full-height red columns: the marks of a reply that is missing.
int MissingReplyMarks(const QImage& graph) {
    int marks = 0;
    for (int x = 0; x < graph.width(); ++x) {
        marks += graph.pixel(x, 0) == qRgb(255, 0, 0) ? 1 : 0;
    }
    return marks;
}

// A player program that hangs: its graph fills with red marks while the
// other seat keeps its rhythm, and once it answers the frame it owes the
// exchange goes on.
TEST_F(ConnectionFaults, APlayerThatStopsAnsweringIsMarkedAndTheOtherPlaysOn) {
    TestClient healthy;
    SeatPlayer(healthy, 0);
    TestClient hung;
    SeatPlayer(hung, 1);
    const std::size_t hungFrames = hung.FramesReceived();
    hung.SetAnswering(false);

    EXPECT_GT(FramesWithin(healthy, 700), 10u);
    const int marks = Locked([&] { return MissingReplyMarks(engine->links().graphs[1].image()); });
    EXPECT_GE(marks, 2);
    EXPECT_LE(hung.FramesReceived(), hungFrames + 1) << "a second frame went out unanswered";
    EXPECT_TRUE(Taken(1));

    hung.SetAnswering(true);
    const std::vector<std::uint8_t> reply = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0,    0,
                                             0,    30,   2,    0x2B, 0xB4, 0xDE, 0x6D};
    ASSERT_TRUE(hung.SendRaw(reply));
    EXPECT_TRUE(hung.WaitForFrames(hung.FramesReceived() + 5, kFrameWait));
    EXPECT_EQ(healthy.RhythmViolations(), 0u);
    EXPECT_EQ(hung.RhythmViolations(), 0u);
}

// A connection that answers every frame with random bytes of random length
// (up to more than a receive buffer holds): each counts as a bad reply, the
// seat keeps being served, and a proper reply afterwards is understood.
TEST_F(ConnectionFaults, GarbageRepliesAreDroppedAndTheSeatStaysUsable) {
    TestClient partner;
    SeatPlayer(partner, 0);
    TestClient garbler;
    garbler.SetHostName("garbler");
    SeatPlayer(garbler, 1);
    garbler.SetAnswering(false);

    std::mt19937 random(7);
    for (int reply = 0; reply < 40; ++reply) {
        const std::size_t frames = garbler.FramesReceived();
        std::vector<std::uint8_t> junk(1 + random() % (reply % 8 == 7 ? 70000 : 300));
        for (auto& byte : junk) {
            byte = static_cast<std::uint8_t>(random());
        }
        if (reply % 5 == 0) {
            junk[0] = junk[1] = junk[2] = junk[3] = 0xFE;  // looks like a frame at first
        }
        ASSERT_TRUE(garbler.SendRaw(junk));
        ASSERT_TRUE(garbler.WaitForFrames(frames + 1, kFrameWait)) << "reply " << reply;
    }
    EXPECT_TRUE(Taken(1));

    garbler.SetKeysDown(Keys({kKeyLeft}));
    garbler.SetAnswering(true);
    const std::vector<std::uint8_t> plain = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0,    0,
                                             0,    30,   2,    0x2B, 0xB4, 0xDE, 0x6D};
    ASSERT_TRUE(garbler.SendRaw(plain));
    EXPECT_TRUE(
        WaitFor([&] { return Locked([&] { return engine->game().keyTable[1][kKeyLeft]; }) == 1; }));
    EXPECT_EQ(partner.RhythmViolations(), 0u);
}

// A third and a fourth client while both seats are taken are closed at once;
// the two players notice nothing.
TEST_F(ConnectionFaults, ThirdAndFourthClientsAreTurnedAwayWhileThePlayersGoOn) {
    TestClient a;
    SeatPlayer(a, 0);
    TestClient b;
    SeatPlayer(b, 1);
    const int seatConnections[] = {Locked([&] { return engine->links().links[0].connection; }),
                                   Locked([&] { return engine->links().links[1].connection; })};

    RawConnection third(port());
    RawConnection fourth(port());
    ASSERT_TRUE(third.connected() && fourth.connected());
    EXPECT_TRUE(third.ClosedByServer());
    EXPECT_TRUE(fourth.ClosedByServer());

    EXPECT_EQ(Locked([&] { return engine->links().links[0].connection; }), seatConnections[0]);
    EXPECT_EQ(Locked([&] { return engine->links().links[1].connection; }), seatConnections[1]);
    EXPECT_GT(FramesWithin(a, 200), 2u);
    EXPECT_GT(FramesWithin(b, 200), 2u);
    EXPECT_FALSE(a.ClosedByServer() || b.ClosedByServer());
    EXPECT_EQ(a.RhythmViolations() + b.RhythmViolations(), 0u);
}

// Three hundred connections that are seated and closed again leave no file
// descriptor behind, and both seats free.
TEST_F(ConnectionFaults, ThreeHundredConnectCloseCyclesLeakNothing) {
    // One round first, so the lazily opened descriptors already exist.
    {
        RawConnection warmUp(port());
        ASSERT_TRUE(WaitFor([&] { return Taken(0); }));
    }
    ASSERT_TRUE(WaitFor([&] { return !Taken(0); }));
    const int before = OpenFileDescriptors();

    for (int cycle = 0; cycle < 300; ++cycle) {
        ASSERT_TRUE(WaitFor([&] { return !Taken(0) && !Taken(1); })) << "cycle " << cycle;
        RawConnection first(port());
        ASSERT_TRUE(first.connected()) << "cycle " << cycle;
        // Every connection comes from 127.0.0.1, which both seats remember,
        // so a lone one may be given either seat.
        ASSERT_TRUE(WaitFor([&] { return Taken(0) || Taken(1); })) << "cycle " << cycle;
        if (cycle % 3 == 0) {
            // Sometimes both seats, and a third that is turned away.
            RawConnection second(port());
            ASSERT_TRUE(WaitFor([&] { return Taken(0) && Taken(1); })) << "cycle " << cycle;
            RawConnection third(port());
            EXPECT_TRUE(third.ClosedByServer()) << "cycle " << cycle;
        }
    }
    ASSERT_TRUE(WaitFor([&] { return !Taken(0) && !Taken(1); }));
    EXPECT_EQ(OpenFileDescriptors(), before);

    TestClient a;
    TestClient b;
    ASSERT_TRUE(a.Connect(port()) && b.Connect(port()));
    EXPECT_TRUE(a.WaitForFrames(3, kFrameWait));
    EXPECT_TRUE(b.WaitForFrames(3, kFrameWait));
    EXPECT_TRUE(Taken(0) && Taken(1));
}

}  // namespace
}  // namespace quib::server
