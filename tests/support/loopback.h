#pragma once

// A listening TCP socket on a loopback address with a port the system picks,
// for tests that connect a real client to a scripted peer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "common/unique_fd.h"

namespace quib::testing {

struct LoopbackListener {
    UniqueFd fd;
    int port = 0;
};

// Bound to `ip` and listening unless `listen` is false: then connecting to
// the port is refused while the listener is held, and no other socket can
// take the port meanwhile. An invalid fd when the socket cannot be set up.
inline LoopbackListener ListenOnLoopback(const char* ip = "127.0.0.1", bool listen = true) {
    LoopbackListener listener{UniqueFd(::socket(AF_INET, SOCK_STREAM, 0)), 0};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (::inet_pton(AF_INET, ip, &address.sin_addr) != 1) {
        return {};
    }
    address.sin_port = 0;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    socklen_t size = sizeof address;
    if (!listener.fd || ::bind(listener.fd.get(), generic, size) != 0 ||
        (listen && ::listen(listener.fd.get(), 1) != 0) ||
        ::getsockname(listener.fd.get(), generic, &size) != 0) {
        return {};
    }
    listener.port = ntohs(address.sin_port);
    return listener;
}

}  // namespace quib::testing
