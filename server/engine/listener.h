#pragma once

#include <poll.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quib::server {

// The socket layer under the network thread: one listening TCP socket and
// the player connections it accepted, all non-blocking, polled together.
// Everything here runs on the network thread only.

enum class SocketEventKind { None, Connect, Data, Disconnect };

struct SocketEvent {
    SocketEventKind kind = SocketEventKind::None;
    int connection = -1;  // the connection concerned; -1 for None
};

// A connection the poll looks at. With `read` false its pending data is not
// reported (the engine still holds an unprocessed reply from it and would
// not take more), only its loss is.
struct WatchedConnection {
    int connection = -1;
    bool read = true;
};

class Listener {
  public:
    Listener();
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Listens on `port` on all local IPv4 interfaces; port 0 lets the system
    // choose (see port()). False, leaving the listener closed, when the port
    // is taken or the socket cannot be set up.
    bool Open(std::uint16_t port);
    void Close();
    bool isOpen() const { return listenFd_ >= 0; }
    // The port actually bound; 0 while closed.
    std::uint16_t port() const { return port_; }

    // Waits at most `timeout` (0: not at all) for the listener and the
    // given connections and reports ONE event: a new connection (already
    // accepted, non-blocking, without send delay), data to read, or a lost
    // connection. When several are ready, the one after the last reported
    // comes first, so a busy connection cannot starve the others.
    SocketEvent Poll(std::span<const WatchedConnection> connections,
                     std::chrono::microseconds timeout);

  private:
    SocketEvent Accept();
    SocketEvent Inspect(const pollfd& entry) const;

    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::size_t rotation_ = 0;
    std::vector<pollfd> pollSet_;  // reused on every poll
};

struct ReadResult {
    std::size_t count = 0;  // bytes read
    bool lost = false;      // the peer closed the connection or it failed
};

// One read of at most into.size() bytes; never waits.
ReadResult ReadConnection(int connection, std::span<std::uint8_t> into);

// One send call. A broken connection does not raise SIGPIPE; it is noticed
// by the poll as a lost connection instead. Returns the bytes the system took
// (or -1); the exchange does not look at it: a frame that did not get out is
// answered by no reply, which the reply watch shows.
long SendOnConnection(int connection, std::span<const std::uint8_t> bytes);

void CloseConnection(int connection);

// The peer's IPv4 address in dotted form; empty when it cannot be told.
std::string PeerAddress(int connection);

// Every IPv4 address of this computer's interfaces, dotted, in the order the
// system lists them (loopback included).
std::vector<std::string> LocalIpv4Addresses();

}  // namespace quib::server
