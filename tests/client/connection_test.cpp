#include "client/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/client_session.h"
#include "client/key_state.h"
#include "common/drawing.h"
#include "common/unique_fd.h"
#include "protocol/frame.h"
#include "tests/protocol/frame_test_util.h"
#include "tests/support/loopback.h"

namespace quib::client {
namespace {

using protocol::testing::Bytes;
using protocol::testing::FrameOf;
using Clock = std::chrono::steady_clock;

// Generous, so a loaded machine does not fail the test; the waits end as soon
// as the awaited bytes or event are there.
constexpr auto kDeadline = std::chrono::seconds(5);

const Bytes kPlainReply = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0, 0, 0, 30, 2, 0x2B, 0xB4, 0xDE, 0x6D};
const Bytes kBadFrameReport = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0,    0,
                               0,    254,  2,    0xC7, 0x47, 0xA0, 0x33};

// 60 characters, so the reply has to cut it to 50.
const std::string kHostName = "player-host-0123456789-abcdefghijklmnopqrstuvwxyz-0123456789";

void SendAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        ASSERT_GT(sent, 0);
        done += static_cast<std::size_t>(sent);
    }
}

// Reads one reply frame, guided by its length field; nothing when it does not
// arrive in time or the connection ends first.
std::optional<Bytes> ReadReply(int fd, Clock::duration limit = kDeadline) {
    const Clock::time_point end = Clock::now() + limit;
    Bytes reply;
    std::size_t wanted = protocol::kHeaderSize;
    while (reply.size() < wanted) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        std::uint8_t chunk[256];
        const std::size_t room = std::min(sizeof chunk, wanted - reply.size());
        const ssize_t count = ::recv(fd, chunk, room, 0);
        if (count <= 0) {
            return std::nullopt;
        }
        reply.insert(reply.end(), chunk, chunk + count);
        if (reply.size() == protocol::kHeaderSize) {
            wanted = protocol::LoadU32(reply.data() + 4);
        }
    }
    return reply;
}

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        listener_ = quib::testing::ListenOnLoopback();
        ASSERT_TRUE(listener_.fd);
        UniqueFd client = ConnectToServer("127.0.0.1", listener_.port);
        ASSERT_TRUE(client);
        server_ = UniqueFd(::accept(listener_.fd.get(), nullptr, nullptr));
        ASSERT_TRUE(server_);
        loop_.emplace(std::move(client), session_, kHostName, foreground_, &keys_,
                      [this](NetworkOutcome outcome) {
                          const std::lock_guard lock(mutex_);
                          outcomes_.push_back(outcome);
                          changed_.notify_all();
                      });
        loop_->Start();
    }

    // Waits until the loop has reported an outcome; the outcomes so far.
    std::vector<NetworkOutcome> AwaitOutcome() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kDeadline, [this] { return !outcomes_.empty(); });
        return outcomes_;
    }

    std::vector<NetworkOutcome> Outcomes() {
        const std::lock_guard lock(mutex_);
        return outcomes_;
    }

    quib::testing::LoopbackListener listener_;
    UniqueFd server_;
    DrawingExecutor drawing_{DrawingConfig{360, 360, {}, 0.75f}};
    ClientSession session_{drawing_, [](TextField, protocol::Colour, std::string_view) {}};
    std::atomic<bool> foreground_{false};
    KeyState keys_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<NetworkOutcome> outcomes_;
    // Last, so it stops before the objects it uses go away.
    std::optional<ClientNetworkLoop> loop_;
};

TEST_F(ConnectionTest, GoodFrameIsAnsweredWithTheFourteenByteReply) {
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    SendAll(server_.get(), FrameOf({30, 2, 30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    EXPECT_TRUE(Outcomes().empty());
}

TEST_F(ConnectionTest, HostNameRequestIsAnsweredWithTheNameCutToFiftyBytes) {
    SendAll(server_.get(), FrameOf({35, 2}));
    const std::optional<Bytes> reply = ReadReply(server_.get());
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 8u + 2u + 52u + 4u);
    EXPECT_EQ((*reply)[8], 30);
    EXPECT_EQ((*reply)[10], 35);
    EXPECT_EQ((*reply)[11], 52);
    EXPECT_EQ(std::string(reply->begin() + 12, reply->begin() + 62), kHostName.substr(0, 50));
    // Carried once: the next reply is plain again.
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
}

TEST_F(ConnectionTest, GarbageIsAnsweredWithTheBadFrameReport) {
    SendAll(server_.get(), Bytes(20, 0x41));
    EXPECT_EQ(ReadReply(server_.get()), kBadFrameReport);
    // The loop goes on answering.
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
}

TEST_F(ConnectionTest, FrameInTwoPiecesGetsOneReply) {
    const Bytes frame = FrameOf({30, 2, 30, 2, 30, 2});
    SendAll(server_.get(), Bytes(frame.begin(), frame.begin() + 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    SendAll(server_.get(), Bytes(frame.begin() + 5, frame.end()));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    // Nothing more: neither piece was answered on its own.
    EXPECT_EQ(ReadReply(server_.get(), std::chrono::milliseconds(300)), std::nullopt);
}

// The frame is answered once: as bad when its rest is overdue, and not again
// when the rest comes after all.
TEST_F(ConnectionTest, UnfinishedFrameIsAnsweredOnceAsBadAfterTheCompletionLimit) {
    const Bytes frame = FrameOf({30, 2, 30, 2});
    SendAll(server_.get(), Bytes(frame.begin(), frame.begin() + 10));
    const auto limit = std::chrono::milliseconds(protocol::FrameReceiver::kCompletionLimitMs);
    EXPECT_EQ(ReadReply(server_.get(), limit - std::chrono::milliseconds(200)), std::nullopt)
        << "answered before the limit";
    EXPECT_EQ(ReadReply(server_.get()), kBadFrameReport);

    SendAll(server_.get(), Bytes(frame.begin() + 10, frame.end()));
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    EXPECT_EQ(ReadReply(server_.get(), std::chrono::milliseconds(300)), std::nullopt);
}

TEST_F(ConnectionTest, KeysDownAreReportedOnlyInTheForeground) {
    keys_.Press(39);
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    foreground_.store(true);
    SendAll(server_.get(), FrameOf({30, 2}));
    const std::optional<Bytes> reply = ReadReply(server_.get());
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 18u);
    EXPECT_EQ(Bytes(reply->begin() + 10, reply->begin() + 14), (Bytes{50, 4, 39, 1}));
}

TEST_F(ConnectionTest, ServerClosingTheConnectionReportsItLost) {
    SendAll(server_.get(), FrameOf({30, 2}));
    EXPECT_EQ(ReadReply(server_.get()), kPlainReply);
    server_.Close();
    EXPECT_EQ(AwaitOutcome(), std::vector<NetworkOutcome>{NetworkOutcome::Lost});
}

TEST_F(ConnectionTest, StopEndsTheLoopWithoutAnOutcomeAndClosesTheConnection) {
    loop_->Stop();
    EXPECT_TRUE(Outcomes().empty());
    // The client's end is closed: the server reads the end of the stream.
    std::uint8_t byte = 0;
    pollfd entry{server_.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 5000), 1);
    EXPECT_EQ(::recv(server_.get(), &byte, 1, 0), 0);
}

TEST(ConnectToServerTest, FailsWhenNobodyListens) {
    const quib::testing::LoopbackListener bound =
        quib::testing::ListenOnLoopback("127.0.0.1", false);
    ASSERT_TRUE(bound.fd);
    EXPECT_FALSE(ConnectToServer("127.0.0.1", bound.port));
}

TEST(ConnectToServerTest, ReadsFieldsWithLeadingZerosAsDecimal) {
    // The whole of 127/8 is loopback; read as octal, "010" would be 8.
    const quib::testing::LoopbackListener listener = quib::testing::ListenOnLoopback("127.0.0.10");
    ASSERT_TRUE(listener.fd);
    EXPECT_TRUE(ConnectToServer("127.000.000.010", listener.port));
}

TEST(ConnectToServerTest, FailsForAnUnresolvableNameOrABadPort) {
    const quib::testing::LoopbackListener listener = quib::testing::ListenOnLoopback();
    ASSERT_TRUE(listener.fd);
    EXPECT_FALSE(ConnectToServer("no-such-host.invalid", listener.port));
    EXPECT_FALSE(ConnectToServer("127.0.0.1", 70000));
}

}  // namespace
}  // namespace quib::client
