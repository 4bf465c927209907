#pragma once

// A hostile server for the player program: it accepts one connection and
// sends the heaviest frame the protocol lets through, 64 KiB of flood fills
// over a 2 x 2 unit image, again after every reply. It counts the replies
// and how many of them were the bad-frame report.

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "common/unique_fd.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/support/loopback.h"

namespace quib::client::testing {

inline std::vector<std::uint8_t> HeaviestFillFrame() {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    protocol::Append(*buffer, protocol::FrameStart{});
    protocol::Append(*buffer, protocol::CreateImage{0, 2, 2});
    protocol::Append(*buffer, protocol::BeginDrawing{0});
    // Alternating colours: every fill repaints the whole image.
    for (std::uint32_t i = 0;; ++i) {
        const protocol::Colour colour = i % 2 == 0 ? 0x0000FF : 0x00FF00;
        if (!protocol::Append(*buffer, protocol::Fill{1, 1, colour, protocol::kNoColour})) {
            break;
        }
    }
    const auto frame = buffer->FinishFrame();
    return {frame.begin(), frame.end()};
}

class HeavyFramePeer {
  public:
    HeavyFramePeer() : listener_(quib::testing::ListenOnLoopback()), frame_(HeaviestFillFrame()) {
        thread_ = std::thread([this] { Serve(); });
    }
    ~HeavyFramePeer() {
        stop_.store(true);
        thread_.join();
    }
    HeavyFramePeer(const HeavyFramePeer&) = delete;
    HeavyFramePeer& operator=(const HeavyFramePeer&) = delete;

    int port() const { return listener_.port; }
    std::size_t frameSize() const { return frame_.size(); }

    std::atomic<int> replies{0};
    std::atomic<int> badFrameReports{0};

  private:
    // Waits for `events` on `fd` in short steps, so that stopping is quick.
    bool Await(int fd, short events) {
        while (!stop_.load()) {
            pollfd entry{fd, events, 0};
            if (::poll(&entry, 1, 20) > 0) {
                return true;
            }
        }
        return false;
    }

    void Serve() {
        if (!Await(listener_.fd.get(), POLLIN)) {
            return;
        }
        const UniqueFd client(::accept(listener_.fd.get(), nullptr, nullptr));
        while (client && SendFrame(client.get()) && TakeReply(client.get())) {
        }
    }

    bool SendFrame(int fd) {
        std::size_t sent = 0;
        while (sent < frame_.size()) {
            if (!Await(fd, POLLOUT)) {
                return false;
            }
            const ssize_t n =
                ::send(fd, frame_.data() + sent, frame_.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n <= 0) {
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    // A bad-frame report is 14 bytes with message 254 first; any reply is
    // at least 14 bytes and comes in one send.
    bool TakeReply(int fd) {
        std::uint8_t reply[protocol::kBufferSize];
        if (!Await(fd, POLLIN)) {
            return false;
        }
        const ssize_t n = ::recv(fd, reply, sizeof reply, 0);
        if (n <= 0) {
            return false;
        }
        replies.fetch_add(1);
        if (n == static_cast<ssize_t>(protocol::kMinFrameSize) && reply[8] == 254) {
            badFrameReports.fetch_add(1);
        }
        return true;
    }

    quib::testing::LoopbackListener listener_;
    std::vector<std::uint8_t> frame_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace quib::client::testing
