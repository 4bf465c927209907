#include "client/connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <string>
#include <utility>

#include "client/address_input.h"
#include "common/clock.h"

namespace quib::client {
namespace {

// The wait of one poll: short, so the quit flag and the completion limit of
// an unfinished frame are looked at every millisecond.
constexpr int kPollMs = 1;

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
      receiver_(std::make_unique<protocol::FrameReceiver>()) {}

ClientNetworkLoop::~ClientNetworkLoop() {
    Stop();
}

void ClientNetworkLoop::Start() {
    thread_ = std::thread([this] { Run(); });
}

void ClientNetworkLoop::Stop() {
    quit_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    socket_.Close();
}

void ClientNetworkLoop::Run() {
    while (!quit_.load()) {
        pollfd entry{socket_.get(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, kPollMs);
        if (ready < 0 && errno != EINTR) {
            onOutcome_(NetworkOutcome::Lost);
            return;
        }
        if (ready > 0 && !ReadAvailable()) {
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
    const std::span<const std::uint8_t> reply = session_.HandleFrame(receiver_->bytes(), inputs);
    receiver_->Clear();
    const ssize_t sent = ::send(socket_.get(), reply.data(), reply.size(), MSG_NOSIGNAL);
    if (sent < 0 || static_cast<std::size_t>(sent) != reply.size()) {
        onOutcome_(NetworkOutcome::SendFailed);
        return false;
    }
    return true;
}

}  // namespace quib::client
