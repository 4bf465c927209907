#pragma once

// The exchange as the kernel sees it: segments each player's connection
// carried (from `ss`), and the round trip of the loopback interface, also
// from rest.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>

namespace quib::bench {

struct SegmentCounts {
    long in = 0;        // data segments received: frames, on a player's side
    long out = 0;       // data segments sent: replies
    int localPort = 0;  // the player's end of the connection
};

// The player side of every established connection to `port`, by the id of
// the process holding it, read from `ss -tinp` output.
std::map<pid_t, SegmentCounts> ParsePlayerSockets(const std::string& ssOutput);
std::map<pid_t, SegmentCounts> PlayerSockets(int port);

struct LoopbackTimes {
    double roundTripMs = -1;    // median one-byte ping-pong; negative: no sockets
    double pauseOverrunMs = 0;  // median time a pause lasted beyond its length
};

// `rounds` one-byte TCP ping-pongs over 127.0.0.1. With a pause, the
// pinging side sleeps that long before each one (with the server network
// thread's timer slack of 1 us), so that both sides wake from rest, as they
// do in the exchange; without, the two run back to back.
LoopbackTimes LoopbackRoundTrips(int rounds, std::chrono::microseconds pause);

}  // namespace quib::bench
