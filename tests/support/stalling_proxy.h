#pragma once

// A TCP proxy on 127.0.0.1 between one player program and the server that
// plays a slow link: it holds back the second half of one large server frame
// (and everything behind it, as TCP keeps the order) for a while, as a lost
// segment and its retransmission would. It reads the frames going both ways
// and keeps the order in which the frames reach the player and the replies
// leave it, so a test can tell whether every frame got exactly one reply.
//
// Threads: the relay thread owns both sockets and the byte queues; the event
// log is shared with the test thread under `mutex_`.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "common/unique_fd.h"
#include "protocol/bytes.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/support/loopback.h"

namespace quib::testing {

class StallingProxy {
  public:
    using Clock = std::chrono::steady_clock;

    enum class Kind {
        Frame,  // the first byte of a server frame went out to the player
        Reply,  // a whole reply frame came in from the player
    };
    struct Event {
        Kind kind;
        Clock::time_point at;
        bool stalled = false;    // Frame: the one held back halfway
        bool badReport = false;  // Reply: the 14-byte bad-frame report
        std::size_t size = 0;    // bytes of the frame
    };

    // Holds back the first server frame of at least `minStalledSize` bytes
    // for `stall` after its first half has gone out.
    StallingProxy(std::uint16_t serverPort, std::size_t minStalledSize, Clock::duration stall)
        : serverPort_(serverPort), minStalledSize_(minStalledSize), stall_(stall) {
        listener_ = ListenOnLoopback();
        if (listener_.fd) {
            thread_ = std::thread([this] { Run(); });
        }
    }
    ~StallingProxy() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    StallingProxy(const StallingProxy&) = delete;
    StallingProxy& operator=(const StallingProxy&) = delete;

    // The port the player program connects to; 0 when the proxy could not
    // listen.
    int port() const { return listener_.port; }

    std::vector<Event> Events() const {
        std::lock_guard guard(mutex_);
        return events_;
    }

  private:
    static constexpr int kTickMs = 2;
    // A retransmitted segment is handed to the reader as soon as it arrives;
    // what the sender wrote after the stall comes in later segments, so the
    // player reads the rest of the stalled frame on its own.
    static constexpr auto kBehindGap = std::chrono::milliseconds(20);

    void Run() {
        if (!AcceptPlayer() || !ConnectServer()) {
            return;
        }
        while (!stop_) {
            std::array<pollfd, 2> entries{pollfd{player_.get(), POLLIN, 0},
                                          pollfd{server_.get(), POLLIN, 0}};
            if (::poll(entries.data(), entries.size(), kTickMs) < 0 ||
                (entries[0].revents != 0 && !RelayReplies()) ||
                (entries[1].revents != 0 && !TakeServerBytes())) {
                return;
            }
            SendToPlayer();
        }
    }

    bool AcceptPlayer() {
        while (!stop_) {
            pollfd entry{listener_.fd.get(), POLLIN, 0};
            if (::poll(&entry, 1, kTickMs) > 0) {
                player_ = UniqueFd(::accept(listener_.fd.get(), nullptr, nullptr));
                return static_cast<bool>(player_);
            }
        }
        return false;
    }

    bool ConnectServer() {
        server_ = UniqueFd(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(serverPort_);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return server_ && ::connect(server_.get(), reinterpret_cast<const sockaddr*>(&address),
                                    sizeof address) == 0;
    }

    // Passes the player's bytes on at once and logs each whole reply.
    bool RelayReplies() {
        std::array<std::uint8_t, 4096> chunk{};
        const ssize_t count = ::recv(player_.get(), chunk.data(), chunk.size(), 0);
        if (count <= 0 || !SendAll(server_.get(), std::span(chunk).first(count))) {
            return false;
        }
        fromPlayer_.insert(fromPlayer_.end(), chunk.begin(), chunk.begin() + count);
        while (const std::size_t size = WholeFrameSize(fromPlayer_)) {
            const bool bad = size == protocol::kMinFrameSize &&
                             fromPlayer_[protocol::kHeaderSize] ==
                                 static_cast<std::uint8_t>(protocol::ClientMessage::BadFrameReport);
            fromPlayer_.erase(fromPlayer_.begin(), fromPlayer_.begin() + size);
            Log({Kind::Reply, Clock::now(), false, bad, size});
        }
        return true;
    }

    // Queues the server's frames for the player, cutting the one to stall.
    bool TakeServerBytes() {
        std::array<std::uint8_t, 65536> chunk{};
        const ssize_t count = ::recv(server_.get(), chunk.data(), chunk.size(), 0);
        if (count <= 0) {
            return false;
        }
        fromServer_.insert(fromServer_.end(), chunk.begin(), chunk.begin() + count);
        while (const std::size_t size = WholeFrameSize(fromServer_)) {
            const bool stall = !stalled_ && size >= minStalledSize_;
            frameStarts_.push_back({sentToPlayer_ + toPlayer_.size(), stall, size});
            if (stall) {
                stalled_ = true;
                halfOfStalled_ = sentToPlayer_ + toPlayer_.size() + size / 2;
                endOfStalled_ = sentToPlayer_ + toPlayer_.size() + size;
                holdUntil_ = Clock::now() + stall_;
            }
            toPlayer_.insert(toPlayer_.end(), fromServer_.begin(), fromServer_.begin() + size);
            fromServer_.erase(fromServer_.begin(), fromServer_.begin() + size);
        }
        return true;
    }

    // Sends what may go out now, logging each frame as its first byte goes.
    void SendToPlayer() {
        const Clock::time_point now = Clock::now();
        const std::uint64_t end = sentToPlayer_ + toPlayer_.size();
        const std::uint64_t limit = now < holdUntil_                ? halfOfStalled_
                                    : now < holdUntil_ + kBehindGap ? std::min(end, endOfStalled_)
                                                                    : end;
        if (limit <= sentToPlayer_) {
            return;
        }
        const ssize_t sent = ::send(player_.get(), toPlayer_.data(), limit - sentToPlayer_,
                                    MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        while (!frameStarts_.empty() &&
               frameStarts_.front().offset < sentToPlayer_ + static_cast<std::uint64_t>(sent)) {
            Log({Kind::Frame, Clock::now(), frameStarts_.front().stalled, false,
                 frameStarts_.front().size});
            frameStarts_.pop_front();
        }
        toPlayer_.erase(toPlayer_.begin(), toPlayer_.begin() + sent);
        sentToPlayer_ += static_cast<std::uint64_t>(sent);
    }

    // The size of the whole frame at the front of `bytes`, 0 while it is not
    // all in. Both programs here send well-formed frames only.
    static std::size_t WholeFrameSize(const std::vector<std::uint8_t>& bytes) {
        if (bytes.size() < protocol::kHeaderSize) {
            return 0;
        }
        const std::size_t size = protocol::LoadU32(bytes.data() + 4);
        return size >= protocol::kMinFrameSize && bytes.size() >= size ? size : 0;
    }

    static bool SendAll(int fd, std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            bytes = bytes.subspan(static_cast<std::size_t>(sent));
        }
        return true;
    }

    void Log(const Event& event) {
        std::lock_guard guard(mutex_);
        events_.push_back(event);
    }

    struct FrameStart {
        std::uint64_t offset;  // in the stream to the player
        bool stalled;
        std::size_t size;
    };

    const std::uint16_t serverPort_;
    const std::size_t minStalledSize_;
    const Clock::duration stall_;
    LoopbackListener listener_;
    std::atomic<bool> stop_{false};

    // Relay thread only.
    UniqueFd player_;
    UniqueFd server_;
    std::vector<std::uint8_t> fromPlayer_;  // the start of a reply not all in yet
    std::vector<std::uint8_t> fromServer_;  // the start of a frame not all in yet
    std::vector<std::uint8_t> toPlayer_;    // for the player, from stream offset sentToPlayer_
    std::uint64_t sentToPlayer_ = 0;        // bytes of the stream sent so far
    std::deque<FrameStart> frameStarts_;
    bool stalled_ = false;
    // Stream offsets: until holdUntil_ nothing beyond the first half of the
    // stalled frame goes out, and for kBehindGap after it nothing beyond its
    // end.
    std::uint64_t halfOfStalled_ = 0;
    std::uint64_t endOfStalled_ = 0;
    Clock::time_point holdUntil_{};

    mutable std::mutex mutex_;
    std::vector<Event> events_;  // under mutex_

    std::thread thread_;
};

}  // namespace quib::testing
