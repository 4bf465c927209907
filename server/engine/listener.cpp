#include "server/engine/listener.h"

#include "common/clock.h"
#include "protocol/frame.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace quib::server {

namespace {

constexpr int kBacklog = 8;

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

std::string DottedAddress(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) {
        return {};
    }
    return text;
}

// sockaddr_in is what the socket calls take as a generic sockaddr; the cast is
// the calling convention of the BSD socket interface.
sockaddr* AsGeneric(sockaddr_in& address) {
    return reinterpret_cast<sockaddr*>(&address);
}

bool BindAndListen(int fd, std::uint16_t port) {
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    return bind(fd, AsGeneric(address), sizeof address) == 0 && listen(fd, kBacklog) == 0;
}

std::uint16_t BoundPort(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(fd, AsGeneric(address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

}  // namespace

Listener::Listener() {
    pollSet_.reserve(3);  // the listener and the two seats
}

Listener::~Listener() {
    Close();
}

bool Listener::Open(std::uint16_t port) {
    Close();
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const std::uint16_t bound = BindAndListen(fd, port) ? BoundPort(fd) : 0;
    if (bound == 0) {
        close(fd);
        return false;
    }
    listenFd_ = fd;
    port_ = bound;
    return true;
}

void Listener::Close() {
    if (listenFd_ >= 0) {
        close(listenFd_);
    }
    listenFd_ = -1;
    port_ = 0;
}

SocketEvent Listener::Poll(std::span<const WatchedConnection> connections,
                           std::chrono::microseconds timeout) {
    pollSet_.clear();
    if (isOpen()) {
        pollSet_.push_back({listenFd_, POLLIN, 0});
    }
    for (const WatchedConnection& watched : connections) {
        const short events = watched.read ? POLLIN : 0;
        pollSet_.push_back({watched.connection, events, 0});
    }
    // To the microsecond: a frame is due 25 ms after a reply, not up to a
    // millisecond later.
    const timespec wait = ToTimespec(timeout);
    if (ppoll(pollSet_.data(), pollSet_.size(), &wait, nullptr) <= 0) {
        return {};
    }
    const std::size_t count = pollSet_.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (rotation_ + step) % count;
        const pollfd& entry = pollSet_[index];
        if (entry.revents == 0) {
            continue;
        }
        const SocketEvent event = entry.fd == listenFd_ ? Accept() : Inspect(entry);
        if (event.kind != SocketEventKind::None) {
            rotation_ = index + 1;
            return event;
        }
    }
    return {};
}

SocketEvent Listener::Accept() {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    // Frames are small and each waits for its reply: sending them at once
    // instead of collecting bytes keeps the round trip short.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A frame goes out in one non-blocking send, which is only whole when
    // the frame fits into the socket's send buffer; the buffer is empty at
    // that moment (the previous frame has been answered). A frame cut short
    // would leave the player's receiver owing the rest and swallowing the
    // next frames, so the buffer holds the largest frame with room to spare
    // instead of starting at the system's default of 16 kB.
    const int sendBuffer = 2 * static_cast<int>(protocol::kBufferSize);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return {SocketEventKind::Connect, fd};
}

SocketEvent Listener::Inspect(const pollfd& entry) const {
    const bool failed = (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    if ((entry.events & POLLIN) == 0) {
        return failed ? SocketEvent{SocketEventKind::Disconnect, entry.fd} : SocketEvent{};
    }
    // Readable with nothing to read means the peer has closed; data that
    // arrived before a close is still handed out first.
    std::uint8_t probe = 0;
    const ssize_t pending = recv(entry.fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (pending > 0) {
        return {SocketEventKind::Data, entry.fd};
    }
    if (pending < 0 && WouldBlock(errno) && !failed) {
        return {};
    }
    return {SocketEventKind::Disconnect, entry.fd};
}

ReadResult ReadConnection(int connection, std::span<std::uint8_t> into) {
    if (into.empty()) {
        return {};
    }
    const ssize_t count = recv(connection, into.data(), into.size(), MSG_DONTWAIT);
    if (count > 0) {
        return {static_cast<std::size_t>(count), false};
    }
    if (count < 0 && WouldBlock(errno)) {
        return {};
    }
    return {0, true};
}

long SendOnConnection(int connection, std::span<const std::uint8_t> bytes) {
    return send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void CloseConnection(int connection) {
    if (connection >= 0) {
        close(connection);
    }
}

std::string PeerAddress(int connection) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getpeername(connection, AsGeneric(address), &size) != 0 || address.sin_family != AF_INET) {
        return {};
    }
    return DottedAddress(address.sin_addr);
}

std::vector<std::string> LocalIpv4Addresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return addresses;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        // The family says the entry holds a sockaddr_in.
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        addresses.push_back(DottedAddress(ipv4->sin_addr));
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace quib::server
