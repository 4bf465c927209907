#include "bench/lab_bench/wire_watch.h"

#include <arpa/inet.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "bench/lab_bench/lab_figures.h"
#include "protocol/frame.h"
#include "protocol/messages.h"

namespace quib::bench {
namespace {

using Clock = std::chrono::steady_clock;

// A loopback packet is at most the interface's 64 KiB MTU.
constexpr std::size_t kPacketBuffer = 65536 + 256;
// Frames of a whole board come in bursts; the thread may be a few
// milliseconds late to read them.
constexpr int kReceiveBuffer = 4 << 20;
constexpr int kIpProtocolTcp = 6;

int Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (bytes[at] << 8) | bytes[at + 1];
}

}  // namespace

std::optional<TcpSegment> ParseTcpSegment(std::span<const std::uint8_t> packet) {
    if (packet.size() < 20 || (packet[0] >> 4) != 4 || packet[9] != kIpProtocolTcp) {
        return std::nullopt;
    }
    const std::size_t ipHeader = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    const std::size_t total = std::min<std::size_t>(Word(packet, 2), packet.size());
    if (ipHeader < 20 || total < ipHeader + 20) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t> tcp = packet.subspan(ipHeader, total - ipHeader);
    const std::size_t tcpHeader = static_cast<std::size_t>(tcp[12] >> 4) * 4;
    if (tcpHeader < 20 || tcpHeader > tcp.size()) {
        return std::nullopt;
    }
    return TcpSegment{Word(tcp, 0), Word(tcp, 2), tcp.subspan(tcpHeader)};
}

std::optional<std::bitset<256>> ReplyKeys(std::span<const std::uint8_t> bytes) {
    std::bitset<256> keys;
    const bool good =
        protocol::ExecuteFrame(bytes, [&](std::uint8_t type, std::span<const std::uint8_t> body) {
            if (type == static_cast<std::uint8_t>(protocol::ClientMessage::KeyDown)) {
                protocol::KeyDown key;
                if (!protocol::Parse(body, &key)) {
                    return false;
                }
                keys.set(key.key);
            }
            return true;
        });
    if (!good) {
        return std::nullopt;
    }
    return keys;
}

std::optional<PressOnWire> SplitPress(const std::vector<WireEvent>& events, int playerPort,
                                      Clock::time_point sent, int vk, Clock::time_point seen) {
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    const auto mine = [&](const WireEvent& e) { return e.playerPort == playerPort; };
    const auto reply = std::find_if(events.begin(), events.end(), [&](const WireEvent& e) {
        return mine(e) && e.reply && e.at >= sent && e.keys.test(static_cast<std::size_t>(vk));
    });
    if (reply == events.end() || reply->at > seen) {
        return std::nullopt;
    }
    std::optional<Clock::time_point> frame;
    for (auto e = std::next(reply); e != events.end(); ++e) {
        if (!mine(*e)) {
            continue;
        }
        if (e->reply) {
            break;
        }
        frame = e->at;
    }
    if (!frame || *frame > seen) {
        return std::nullopt;
    }
    return PressOnWire{ms(reply->at - sent), ms(*frame - reply->at), ms(seen - *frame)};
}

double MedianExchangeMs(const std::vector<WireEvent>& events, int playerPort) {
    std::vector<double> gaps;
    std::optional<Clock::time_point> last;
    for (const WireEvent& e : events) {
        if (e.playerPort != playerPort || !e.reply) {
            continue;
        }
        if (last) {
            gaps.push_back(std::chrono::duration<double, std::milli>(e.at - *last).count());
        }
        last = e.at;
    }
    return Percentile(gaps, 0.5);
}

bool WireWatch::Start(int serverPort, std::string* error) {
    serverPort_ = serverPort;
    // SOCK_DGRAM: the packets without their link header; bound to IPv4 on
    // the loopback interface, it sees each packet once, as it arrives.
    socket_ = UniqueFd(::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP)));
    if (!socket_) {
        *error = std::string("packet socket: ") + std::strerror(errno);
        return false;
    }
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_protocol = htons(ETH_P_IP);
    address.sll_ifindex = static_cast<int>(::if_nametoindex("lo"));
    const int on = 1;
    if (address.sll_ifindex == 0 ||
        ::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::setsockopt(socket_.get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) != 0) {
        *error = std::string("packet socket on lo: ") + std::strerror(errno);
        socket_.Close();
        return false;
    }
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);
    wake_ = UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    quit_.store(false);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void WireWatch::Stop() {
    quit_.store(true);
    if (wake_) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    socket_.Close();
    wake_.Close();
}

std::vector<WireEvent> WireWatch::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(events_, {});
}

void WireWatch::Run() {
    std::vector<std::uint8_t> buffer(kPacketBuffer);
    std::array<char, CMSG_SPACE(sizeof(timespec))> control{};
    while (!quit_.load()) {
        std::array<pollfd, 2> entries{pollfd{socket_.get(), POLLIN, 0},
                                      pollfd{wake_.get(), POLLIN, 0}};
        if (::poll(entries.data(), entries.size(), -1) <= 0 || entries[1].revents != 0) {
            continue;
        }
        iovec data{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        const ssize_t count = ::recvmsg(socket_.get(), &message, MSG_DONTWAIT);
        // The kernel stamps with the wall clock; its distance from now
        // carries the stamp over to the steady clock.
        const auto steadyNow = Clock::now();
        const auto wallNow = std::chrono::system_clock::now();
        if (count <= 0) {
            continue;
        }
        const auto segment = ParseTcpSegment(
            std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(count)));
        if (!segment || segment->payload.empty()) {
            continue;  // other traffic, or a bare acknowledgement
        }
        const bool reply = segment->destinationPort == serverPort_;
        if (!reply && segment->sourcePort != serverPort_) {
            continue;
        }
        Clock::time_point at = steadyNow;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec stamp{};
                std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
                const auto wall = std::chrono::system_clock::time_point(
                    std::chrono::duration_cast<std::chrono::system_clock::duration>(
                        std::chrono::seconds(stamp.tv_sec) +
                        std::chrono::nanoseconds(stamp.tv_nsec)));
                at = steadyNow - std::chrono::duration_cast<Clock::duration>(wallNow - wall);
            }
        }
        WireEvent event{at, reply ? segment->sourcePort : segment->destinationPort, reply, {}};
        if (reply) {
            event.keys = ReplyKeys(segment->payload).value_or(std::bitset<256>{});
        }
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
}

}  // namespace quib::bench
