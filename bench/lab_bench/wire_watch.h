#pragma once

// The exchange of the player connections as the loopback interface carries
// it: when each piece of a frame reached a player program and when each
// reply left it, with the keys the reply reports. A packet socket on the
// private network's loopback interface sees every TCP segment; the kernel
// stamps each as it passes, so the times do not depend on when this
// program's thread gets round to reading them, and the programs are not
// touched.
//
// Threads: the watch reads on a thread of its own; Start, Stop and Take are
// called from one other thread.

#include <atomic>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_fd.h"

namespace quib::bench {

struct WireEvent {
    std::chrono::steady_clock::time_point at;
    int playerPort = 0;     // the player's end of the connection
    bool reply = false;     // false: a segment of a frame from the server
    std::bitset<256> keys;  // a reply's reported keys
};

class WireWatch {
  public:
    WireWatch() = default;
    ~WireWatch() { Stop(); }
    WireWatch(const WireWatch&) = delete;
    WireWatch& operator=(const WireWatch&) = delete;

    // Watches the connections to `serverPort` on the loopback interface.
    // False, with the reason in *error, without the right to a packet socket
    // (it needs CAP_NET_RAW, which the private network grants).
    bool Start(int serverPort, std::string* error);
    void Stop();

    // Everything seen since the last call, in the order it passed.
    std::vector<WireEvent> Take();

  private:
    void Run();

    int serverPort_ = 0;
    UniqueFd socket_;
    UniqueFd wake_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<WireEvent> events_;  // guarded by mutex_
};

struct TcpSegment {
    int sourcePort = 0;
    int destinationPort = 0;
    std::span<const std::uint8_t> payload;
};

// The TCP segment inside an IPv4 packet; nothing for anything else or a
// packet cut short.
std::optional<TcpSegment> ParseTcpSegment(std::span<const std::uint8_t> packet);

// The keys a player's reply reports; nothing when `bytes` is not one whole
// good frame.
std::optional<std::bitset<256>> ReplyKeys(std::span<const std::uint8_t> bytes);

// One key press taken apart along the exchange, all in ms.
struct PressOnWire {
    double keyToReply = 0;     // key sent until the first reply that reports it left
    double replyToFrame = 0;   // that reply until the next frame (the move) arrived whole
    double frameToScreen = 0;  // that frame until the figure's pixels were seen changed
};

// Finds, among `events` of the player at `playerPort`, the first reply
// after `sent` that reports `vk` and the frame that followed it (its last
// segment before the next reply). Nothing when the events do not show both
// before `seen`.
std::optional<PressOnWire> SplitPress(const std::vector<WireEvent>& events, int playerPort,
                                      std::chrono::steady_clock::time_point sent, int vk,
                                      std::chrono::steady_clock::time_point seen);

// The median time between consecutive replies of the player at
// `playerPort`: the exchange as that player had it. 0 for fewer than two.
double MedianExchangeMs(const std::vector<WireEvent>& events, int playerPort);

}  // namespace quib::bench
