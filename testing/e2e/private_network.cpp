#include "testing/e2e/private_network.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/unique_fd.h"

namespace quib::e2e {
namespace {

constexpr int kStateEstablished = 0x01;
constexpr int kStateListen = 0x0A;

// Calls `count(localPort, state)` for each IPv4 and IPv6 TCP socket.
template <typename F>
void ForEachSocket(F&& visit) {
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);  // column titles
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const std::size_t colon = local.rfind(':');
            if (colon == std::string::npos || state.empty()) {
                continue;
            }
            visit(std::stoi(local.substr(colon + 1), nullptr, 16), std::stoi(state, nullptr, 16));
        }
    }
}

}  // namespace

bool EnterPrivateNetwork(std::string* why) {
    if (::unshare(CLONE_NEWNET) != 0) {
        *why = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        return false;
    }
    // A new namespace has its loopback interface down.
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM, 0));
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    if (!socket || ::ioctl(socket.get(), SIOCGIFFLAGS, &request) != 0) {
        *why = std::string("reading the flags of lo: ") + std::strerror(errno);
        return false;
    }
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
    if (::ioctl(socket.get(), SIOCSIFFLAGS, &request) != 0) {
        *why = std::string("bringing lo up: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool Listening(int port) {
    bool found = false;
    ForEachSocket([&](int local, int state) { found |= local == port && state == kStateListen; });
    return found;
}

int EstablishedTo(int port) {
    int count = 0;
    ForEachSocket([&](int local, int state) {
        count += local == port && state == kStateEstablished ? 1 : 0;
    });
    return count;
}

}  // namespace quib::e2e
