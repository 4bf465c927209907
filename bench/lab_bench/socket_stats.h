#pragma once

// The exchange as the kernel sees it: segments each player's connection
// carried (from `ss`), and the round trip of the loopback interface.

#include <sys/types.h>

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

// Median time of `rounds` one-byte TCP ping-pongs over 127.0.0.1, in ms;
// negative when the sockets could not be set up.
double LoopbackRoundTripMs(int rounds);

}  // namespace quib::bench
