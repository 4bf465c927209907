#include "bench/lab_bench/socket_stats.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

#include "common/clock.h"
#include "testing/e2e/child_group.h"

namespace quib::bench {
namespace {

// The number after `key` in `line`, 0 when the key is absent (ss leaves
// out counters that are still 0).
long Counter(const std::string& line, const std::string& key) {
    const auto at = line.find(" " + key);
    if (at == std::string::npos) {
        return 0;
    }
    return std::stol(line.substr(at + key.size() + 1));
}

// The port of the local address, the third field of a socket line:
// "0 0 127.0.0.1:40112 127.0.0.1:6832 users:...".
int LocalPort(const std::string& line) {
    std::istringstream fields(line);
    std::string receiveQueue, sendQueue, local;
    fields >> receiveQueue >> sendQueue >> local;
    const auto colon = local.rfind(':');
    if (colon == std::string::npos) {
        return 0;
    }
    try {
        return std::stoi(local.substr(colon + 1));
    } catch (const std::exception&) {
        return 0;
    }
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::map<pid_t, SegmentCounts> ParsePlayerSockets(const std::string& ssOutput) {
    std::map<pid_t, SegmentCounts> sockets;
    std::istringstream lines(ssOutput);
    pid_t owner = -1;
    int port = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            continue;
        }
        if (line[0] != ' ' && line[0] != '\t') {
            const auto at = line.find("pid=");
            owner =
                at == std::string::npos ? -1 : static_cast<pid_t>(std::stol(line.substr(at + 4)));
            port = LocalPort(line);
            continue;
        }
        if (owner > 0) {
            sockets[owner] = {Counter(line, "data_segs_in:"), Counter(line, "data_segs_out:"),
                              port};
        }
    }
    return sockets;
}

std::map<pid_t, SegmentCounts> PlayerSockets(int port) {
    const auto result = e2e::RunTool({"/usr/bin/ss", "-tinpH", "state", "established",
                                      "( dport = :" + std::to_string(port) + " )"},
                                     {});
    return ParsePlayerSockets(result.output);
}

namespace {

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

}  // namespace

LoopbackTimes LoopbackRoundTrips(int rounds, std::chrono::microseconds pause) {
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if (listener.get() < 0 || ::bind(listener.get(), raw, length) != 0 ||
        ::listen(listener.get(), 1) != 0 || ::getsockname(listener.get(), raw, &length) != 0) {
        return {};
    }
    Fd client(::socket(AF_INET, SOCK_STREAM, 0));
    if (client.get() < 0 || ::connect(client.get(), raw, length) != 0) {
        return {};
    }
    Fd peer(::accept(listener.get(), nullptr, nullptr));
    const int on = 1;
    ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(peer.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::thread echo([&] {
        char byte = 0;
        for (int i = 0; i < rounds; ++i) {
            if (::recv(peer.get(), &byte, 1, 0) != 1 || ::send(peer.get(), &byte, 1, 0) != 1) {
                return;
            }
        }
    });
    std::vector<double> times;
    std::vector<double> overruns;
    // On the calling thread, as the exchange's own figures are taken: a
    // thread of its own may be placed beside the echo and measure a longer
    // round trip. The server network thread's timer slack only while
    // pausing.
    const auto slack = static_cast<unsigned long>(prctl(PR_GET_TIMERSLACK));
    if (pause.count() > 0) {
        prctl(PR_SET_TIMERSLACK, 1000UL);
    }
    using Ms = std::chrono::duration<double, std::milli>;
    const timespec rest = ToTimespec(pause);
    char byte = 'x';
    for (int i = 0; i < rounds; ++i) {
        if (pause.count() > 0) {
            const auto asleep = std::chrono::steady_clock::now();
            ::ppoll(nullptr, 0, &rest, nullptr);
            overruns.push_back(Ms(std::chrono::steady_clock::now() - asleep - pause).count());
        }
        const auto start = std::chrono::steady_clock::now();
        if (::send(client.get(), &byte, 1, 0) != 1 || ::recv(client.get(), &byte, 1, 0) != 1) {
            break;
        }
        times.push_back(Ms(std::chrono::steady_clock::now() - start).count());
    }
    prctl(PR_SET_TIMERSLACK, slack);
    ::shutdown(client.get(), SHUT_RDWR);
    echo.join();
    if (times.empty()) {
        return {};
    }
    return {Median(times), overruns.empty() ? 0 : Median(overruns)};
}

}  // namespace quib::bench
