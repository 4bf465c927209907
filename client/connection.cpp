#include "client/connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "client/address_input.h"
#include "common/clock.h"

namespace quib::client {
namespace {

UniqueFd ConnectTo(const addrinfo& info) {
    UniqueFd fd(::socket(info.ai_family, info.ai_socktype, info.ai_protocol));
    if (!fd) {
        return {};
    }
    int result;
    do {
        result = ::connect(fd.get(), info.ai_addr, info.ai_addrlen);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return {};
    }
    const int on = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const int flags = ::fcntl(fd.get(), F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        return {};
    }
    return fd;
}

}  // namespace

UniqueFd ConnectToServer(const std::string& address, int port) {
    if (port < 0 || port > 65535) {
        return {};
    }
    // A dotted address is read the way the options dialog reads it, so
    // "127.000.000.001" is not taken for octal by the resolver.
    const std::optional<std::string> dotted = NormaliseServerAddress(address);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = dotted ? AI_NUMERICHOST : 0;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(dotted ? dotted->c_str() : address.c_str(), service.c_str(), &hints,
                      &found) != 0) {
        return {};
    }
    UniqueFd fd;
    for (const addrinfo* info = found; info != nullptr && !fd; info = info->ai_next) {
        fd = ConnectTo(*info);
    }
    ::freeaddrinfo(found);
    return fd;
}

std::string LocalHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

ClientNetworkLoop::ClientNetworkLoop(UniqueFd socket, ClientSession& session, std::string hostName,
                                     const std::atomic<bool>& foreground, KeyState* keys,
                                     OutcomeHandler onOutcome)
    : socket_(std::move(socket)),
      session_(session),
      hostName_(std::move(hostName)),
      foreground_(foreground),
      keys_(keys),
      onOutcome_(std::move(onOutcome)),
      receiver_(std::make_unique<protocol::FrameReceiver>()),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ClientNetworkLoop::~ClientNetworkLoop() {
    Stop();
}

void ClientNetworkLoop::Start() {
    thread_ = std::thread([this] { Run(); });
}

void ClientNetworkLoop::Stop() {
    quit_.store(true);
    if (wake_) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    socket_.Close();
}

void ClientNetworkLoop::Run() {
    // The loop sleeps until the server sends, an unfinished frame reaches
    // its completion limit, or Stop wakes it: a player waiting between
    // rounds costs no processor time.
    while (!quit_.load()) {
        std::array<pollfd, 2> entries{pollfd{socket_.get(), POLLIN, 0},
                                      pollfd{wake_.get(), POLLIN, 0}};
        const nfds_t count = wake_ ? 2 : 1;
        // Without the wake-up descriptor the quit flag is looked at every
        // millisecond instead.
        const int expiry = receiver_->MsUntilExpiry(MonotonicMilliseconds());
        const int timeout = wake_ ? expiry : (expiry < 0 ? 1 : std::min(expiry, 1));
        const int ready = ::poll(entries.data(), count, timeout);
        if (ready < 0 && errno != EINTR) {
            onOutcome_(NetworkOutcome::Lost);
            return;
        }
        if (ready > 0 && entries[0].revents != 0 && !ReadAvailable()) {
            return;
        }
        const protocol::FrameReceiver::Status status = receiver_->Expire(MonotonicMilliseconds());
        if ((status == protocol::FrameReceiver::Status::Complete ||
             status == protocol::FrameReceiver::Status::Bad) &&
            !AnswerFrame()) {
            return;
        }
    }
}

bool ClientNetworkLoop::ReadAvailable() {
    const std::span<std::uint8_t> space = receiver_->FreeSpace();
    if (space.empty()) {
        return true;  // a finished frame is answered below before the next read
    }
    const ssize_t count = ::recv(socket_.get(), space.data(), space.size(), 0);
    if (count > 0) {
        receiver_->Received(static_cast<std::size_t>(count), MonotonicMilliseconds());
        return true;
    }
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return true;
    }
    // Readable with nothing to read is the server's orderly close; a reset
    // or any other read error leaves nothing to answer either.
    onOutcome_(NetworkOutcome::Lost);
    return false;
}

bool ClientNetworkLoop::AnswerFrame() {
    const ReplyInputs inputs{hostName_, foreground_.load(), keys_};
    const std::span<const std::uint8_t> reply =
        session_.HandleFrame(receiver_->bytes(), inputs, &quit_);
    receiver_->Clear();
    if (quit_.load()) {
        return false;  // closing: the frame may be cut short, and nobody waits for the reply
    }
    const ssize_t sent = ::send(socket_.get(), reply.data(), reply.size(), MSG_NOSIGNAL);
    if (sent < 0 || static_cast<std::size_t>(sent) != reply.size()) {
        onOutcome_(NetworkOutcome::SendFailed);
        return false;
    }
    if (afterReply_) {
        afterReply_();
    }
    return true;
}

}  // namespace quib::client
