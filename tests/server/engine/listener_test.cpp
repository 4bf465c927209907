#include "server/engine/listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quib::server {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr auto kDeadline = std::chrono::seconds(5);

// A plain blocking client socket connected to 127.0.0.1:port.
int ConnectClient(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void SendText(int fd, const std::string& text) {
    ASSERT_EQ(send(fd, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
}

// Polls until an event comes or the deadline passes.
SocketEvent NextEvent(Listener& listener, const std::vector<WatchedConnection>& watched) {
    const auto end = Clock::now() + kDeadline;
    while (Clock::now() < end) {
        const SocketEvent event = listener.Poll(watched, 20ms);
        if (event.kind != SocketEventKind::None) {
            return event;
        }
    }
    return {};
}

class ListenerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(listener.Open(0)); }
    void TearDown() override {
        for (int fd : opened) {
            close(fd);
        }
    }

    // Connects a client and returns the server's side of it.
    int Accepted() {
        const int client = ConnectClient(listener.port());
        EXPECT_GE(client, 0);
        clients.push_back(client);
        opened.push_back(client);
        const SocketEvent event = NextEvent(listener, {});
        EXPECT_EQ(event.kind, SocketEventKind::Connect);
        if (event.connection >= 0) {
            opened.push_back(event.connection);
        }
        return event.connection;
    }

    Listener listener;
    std::vector<int> clients;
    std::vector<int> opened;
};

TEST_F(ListenerTest, AnOpenListenerReportsTheBoundPort) {
    EXPECT_TRUE(listener.isOpen());
    EXPECT_NE(listener.port(), 0);
}

TEST_F(ListenerTest, APortAlreadyTakenCannotBeOpened) {
    Listener second;
    EXPECT_FALSE(second.Open(listener.port()));
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.port(), 0);
    EXPECT_EQ(second.Poll({}, 0ms).kind, SocketEventKind::None);
}

TEST_F(ListenerTest, NothingHappeningIsNone) {
    EXPECT_EQ(listener.Poll({}, 0ms).kind, SocketEventKind::None);
}

TEST_F(ListenerTest, AnAcceptedConnectionIsNonBlockingWithoutSendDelay) {
    const int connection = Accepted();
    ASSERT_GE(connection, 0);
    EXPECT_NE(fcntl(connection, F_GETFL) & O_NONBLOCK, 0);
    int noDelay = 0;
    socklen_t size = sizeof noDelay;
    ASSERT_EQ(getsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    EXPECT_NE(noDelay, 0);
    // A whole frame of the largest size goes out in its one send.
    int sendBuffer = 0;
    size = sizeof sendBuffer;
    ASSERT_EQ(getsockopt(connection, SOL_SOCKET, SO_SNDBUF, &sendBuffer, &size), 0);
    EXPECT_GE(sendBuffer, 2 * 65536);
    EXPECT_EQ(PeerAddress(connection), "127.0.0.1");
}

TEST_F(ListenerTest, TwoClientsConnectingAtOnceAreTwoEvents) {
    const int first = ConnectClient(listener.port());
    const int second = ConnectClient(listener.port());
    opened.push_back(first);
    opened.push_back(second);
    const SocketEvent a = NextEvent(listener, {});
    const SocketEvent b = NextEvent(listener, {});
    opened.push_back(a.connection);
    opened.push_back(b.connection);
    EXPECT_EQ(a.kind, SocketEventKind::Connect);
    EXPECT_EQ(b.kind, SocketEventKind::Connect);
    EXPECT_NE(a.connection, b.connection);
}

TEST_F(ListenerTest, DataIsReportedUntilReadThenTheCloseIsReported) {
    const int connection = Accepted();
    SendText(clients[0], "hello");
    close(clients[0]);
    opened.erase(std::find(opened.begin(), opened.end(), clients[0]));
    const std::vector<WatchedConnection> watched = {{connection, true}};

    // Data sent before the close comes first, and keeps coming until read.
    EXPECT_EQ(NextEvent(listener, watched).kind, SocketEventKind::Data);
    EXPECT_EQ(NextEvent(listener, watched).kind, SocketEventKind::Data);
    std::array<std::uint8_t, 16> buffer{};
    const ReadResult read = ReadConnection(connection, buffer);
    EXPECT_EQ(read.count, 5U);
    EXPECT_FALSE(read.lost);

    const SocketEvent gone = NextEvent(listener, watched);
    EXPECT_EQ(gone.kind, SocketEventKind::Disconnect);
    EXPECT_EQ(gone.connection, connection);
    EXPECT_TRUE(ReadConnection(connection, buffer).lost);
}

TEST_F(ListenerTest, ReadingWithNothingPendingIsNeitherDataNorLoss) {
    const int connection = Accepted();
    std::array<std::uint8_t, 16> buffer{};
    const ReadResult read = ReadConnection(connection, buffer);
    EXPECT_EQ(read.count, 0U);
    EXPECT_FALSE(read.lost);
}

// Two connections with unread data: one event per poll, taking turns, so
// neither can hide the other.
TEST_F(ListenerTest, ReadyConnectionsTakeTurns) {
    const int a = Accepted();
    const int b = Accepted();
    SendText(clients[0], "a");
    SendText(clients[1], "b");
    const std::vector<WatchedConnection> watched = {{a, true}, {b, true}};
    // Wait until both are readable, then every poll names the other one.
    std::vector<int> seen;
    const auto end = Clock::now() + kDeadline;
    while (Clock::now() < end && (std::count(seen.begin(), seen.end(), a) == 0 ||
                                  std::count(seen.begin(), seen.end(), b) == 0)) {
        const SocketEvent event = NextEvent(listener, watched);
        ASSERT_EQ(event.kind, SocketEventKind::Data);
        seen.push_back(event.connection);
    }
    const int first = NextEvent(listener, watched).connection;
    const int second = NextEvent(listener, watched).connection;
    const int third = NextEvent(listener, watched).connection;
    EXPECT_NE(first, second);
    EXPECT_EQ(first, third);
}

TEST_F(ListenerTest, AConnectionNotToBeReadHidesItsDataButNotItsLoss) {
    const int connection = Accepted();
    SendText(clients[0], "pending");
    const std::vector<WatchedConnection> muted = {{connection, false}};
    // The data is there (a reading poll sees it) but a muted one does not.
    EXPECT_EQ(NextEvent(listener, {{connection, true}}).kind, SocketEventKind::Data);
    EXPECT_EQ(listener.Poll(muted, 50ms).kind, SocketEventKind::None);

    // A reset connection fails outright, which even a muted watch reports.
    const linger reset{1, 0};
    setsockopt(clients[0], SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(clients[0]);
    opened.erase(std::find(opened.begin(), opened.end(), clients[0]));
    const SocketEvent gone = NextEvent(listener, muted);
    EXPECT_EQ(gone.kind, SocketEventKind::Disconnect);
    EXPECT_EQ(gone.connection, connection);
}

TEST_F(ListenerTest, AClosedListenerAcceptsNoMore) {
    const std::uint16_t port = listener.port();
    listener.Close();
    EXPECT_FALSE(listener.isOpen());
    EXPECT_EQ(ConnectClient(port), -1);
}

TEST(LocalIpv4Addresses, IncludeLoopbackInDottedForm) {
    const std::vector<std::string> addresses = LocalIpv4Addresses();
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
    for (const std::string& address : addresses) {
        in_addr parsed{};
        EXPECT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << address;
    }
}

}  // namespace
}  // namespace quib::server
