#include "tools/test_client.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#include "common/clock.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "protocol/receiver.h"
#include "protocol/reply.h"

namespace quib::tools {

namespace {

// How often the loop looks at its stop flag while nothing arrives.
constexpr int kIdleTickMs = 5;
// How finely a reply delay is kept.
constexpr int kDelayTickMs = 1;

template <typename M>
bool Decodes(std::span<const std::uint8_t> body) {
    M message;
    return protocol::Parse(body, &message);
}

// The checks the player program makes on each message of a server frame
// before executing it: a known type with a complete body. Message 35 is
// remembered for the next normal reply.
bool AcceptServerMessage(std::uint8_t type, std::span<const std::uint8_t> body,
                         bool& hostNameRequested) {
    using protocol::ServerMessage;
    switch (static_cast<ServerMessage>(type)) {
        case ServerMessage::FrameStart:
        case ServerMessage::EndDrawing:
        case ServerMessage::Present:
            return true;
        case ServerMessage::HostNameRequest:
            hostNameRequested = true;
            return true;
        case ServerMessage::RightText:
            return Decodes<protocol::RightText>(body);
        case ServerMessage::LeftText:
            return Decodes<protocol::LeftText>(body);
        case ServerMessage::BeginDrawing:
            return Decodes<protocol::BeginDrawing>(body);
        case ServerMessage::CreateImage:
            return Decodes<protocol::CreateImage>(body);
        case ServerMessage::LoadPicture:
            return Decodes<protocol::LoadPicture>(body);
        case ServerMessage::FreeImage:
            return Decodes<protocol::FreeImage>(body);
        case ServerMessage::DrawImage:
            return Decodes<protocol::DrawImage>(body);
        case ServerMessage::FrontColour:
            return Decodes<protocol::FrontColour>(body);
        case ServerMessage::BackColour:
            return Decodes<protocol::BackColour>(body);
        case ServerMessage::DrawingMode:
            return Decodes<protocol::DrawingMode>(body);
        case ServerMessage::Plot:
            return Decodes<protocol::Plot>(body);
        case ServerMessage::Line:
            return Decodes<protocol::Line>(body);
        case ServerMessage::Box:
            return Decodes<protocol::Box>(body);
        case ServerMessage::Circle:
            return Decodes<protocol::Circle>(body);
        case ServerMessage::Ellipse:
            return Decodes<protocol::Ellipse>(body);
        case ServerMessage::Fill:
            return Decodes<protocol::Fill>(body);
        case ServerMessage::Polygon:
            return Decodes<protocol::Polygon>(body);
    }
    return false;
}

int ConnectTo(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    if (fd >= 0) {
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return fd;
}

}  // namespace

// What only the loop thread touches.
struct TestClient::LoopState {
    protocol::FrameReceiver receiver;
    protocol::SendBuffer sender;
    bool hostNameRequested = false;
    bool replyPending = false;  // a frame waits for its reply delay to pass
    bool lastFrameGood = false;
    std::bitset<256> sourcedKeys;  // from the key source, for the owed reply
    std::uint32_t frameTime = 0;
};

TestClient::TestClient() = default;

TestClient::~TestClient() {
    Close();
}

bool TestClient::Connect(std::uint16_t port, const std::string& host) {
    if (fd_ >= 0) {
        return false;
    }
    fd_ = ConnectTo(host, port);
    if (fd_ < 0) {
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void TestClient::Close() {
    stop_ = true;
    if (fd_ >= 0) {
        // Wakes the loop out of its poll; the descriptor stays valid until
        // the loop has ended.
        shutdown(fd_, SHUT_RDWR);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard guard(sendMutex_);
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void TestClient::SetHostName(std::string name) {
    std::lock_guard guard(mutex_);
    hostName_ = std::move(name);
}

void TestClient::SetKeysDown(std::bitset<256> keys) {
    std::lock_guard guard(mutex_);
    keysDown_ = keys;
}

void TestClient::SetKeySource(KeySource source) {
    std::lock_guard guard(mutex_);
    keySource_ = std::move(source);
}

void TestClient::SetKeepFrames(bool keep) {
    std::lock_guard guard(mutex_);
    keepFrames_ = keep;
}

void TestClient::SetForeground(bool foreground) {
    std::lock_guard guard(mutex_);
    foreground_ = foreground;
}

void TestClient::SetReplyDelayMs(int delayMs) {
    std::lock_guard guard(mutex_);
    replyDelayMs_ = std::max(delayMs, 0);
}

void TestClient::SetAnswering(bool answering) {
    std::lock_guard guard(mutex_);
    answering_ = answering;
}

bool TestClient::SendRaw(std::span<const std::uint8_t> bytes) {
    {
        // Cleared before the send: the server's next frame may be back
        // before this call returns.
        std::lock_guard guard(mutex_);
        replyOwed_ = false;
    }
    return SendAll(bytes);
}

bool TestClient::SendAll(std::span<const std::uint8_t> bytes) {
    std::lock_guard guard(sendMutex_);
    if (fd_ < 0) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

std::size_t TestClient::FramesReceived() const {
    std::lock_guard guard(mutex_);
    return framesReceived_;
}

std::vector<std::vector<std::uint8_t>> TestClient::Frames() const {
    std::lock_guard guard(mutex_);
    return frames_;
}

std::size_t TestClient::BytesReceived() const {
    std::lock_guard guard(mutex_);
    return bytesReceived_;
}

std::size_t TestClient::RepliesSent() const {
    std::lock_guard guard(mutex_);
    return repliesSent_;
}

std::size_t TestClient::RhythmViolations() const {
    std::lock_guard guard(mutex_);
    return rhythmViolations_;
}

bool TestClient::ClosedByServer() const {
    std::lock_guard guard(mutex_);
    return closedByServer_;
}

bool TestClient::WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, timeout, [&] { return framesReceived_ >= count; });
}

bool TestClient::WaitForClosedByServer(std::chrono::milliseconds timeout) const {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, timeout, [&] { return closedByServer_; });
}

void TestClient::Loop() {
    const auto loop = std::make_unique<LoopState>();
    while (!stop_) {
        pollfd entry{fd_, POLLIN, 0};
        const int ready = poll(&entry, 1, loop->replyPending ? kDelayTickMs : kIdleTickMs);
        if (stop_) {
            break;
        }
        if (ready > 0) {
            // Never empty here: a finished frame is taken at the end of the
            // iteration that finished it.
            const std::span<std::uint8_t> space = loop->receiver.FreeSpace();
            const ssize_t count = recv(fd_, space.data(), space.size(), 0);
            if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
                std::lock_guard guard(mutex_);
                closedByServer_ = true;
                changed_.notify_all();
                break;
            }
            if (count > 0) {
                std::lock_guard guard(mutex_);
                bytesReceived_ += static_cast<std::size_t>(count);
                rhythmViolations_ += replyOwed_ ? 1 : 0;
            }
            loop->receiver.Received(count > 0 ? static_cast<std::size_t>(count) : 0,
                                    MonotonicMilliseconds());
        }
        const auto status = loop->receiver.Expire(MonotonicMilliseconds());
        if (status == protocol::FrameReceiver::Status::Complete ||
            status == protocol::FrameReceiver::Status::Bad) {
            TakeFrame(*loop);
        }
        AnswerIfDue(*loop);
    }
}

void TestClient::TakeFrame(LoopState& loop) {
    const auto bytes = loop.receiver.bytes();
    std::vector<std::uint8_t> frame(bytes.begin(), bytes.end());
    const bool complete = loop.receiver.status() == protocol::FrameReceiver::Status::Complete;
    loop.receiver.Clear();
    loop.lastFrameGood = complete && protocol::CheckFrame(frame) == protocol::FrameCheck::Good &&
                         protocol::ParseMessages(frame, [&loop](std::uint8_t type, auto body) {
                             return AcceptServerMessage(type, body, loop.hostNameRequested);
                         }).good;
    loop.frameTime = MonotonicMilliseconds();
    // keySource_ is not changed while the loop runs, so it is called
    // without the lock, which the source may take time under.
    if (keySource_ && loop.lastFrameGood) {
        loop.sourcedKeys = keySource_(frame);
    }
    std::lock_guard guard(mutex_);
    ++framesReceived_;
    if (keepFrames_) {
        frames_.push_back(std::move(frame));
    }
    replyOwed_ = true;
    loop.replyPending = answering_;
    changed_.notify_all();
}

void TestClient::AnswerIfDue(LoopState& loop) {
    if (!loop.replyPending) {
        return;
    }
    protocol::ReplyContent content;
    std::string hostName;
    {
        std::lock_guard guard(mutex_);
        const auto delay = static_cast<std::uint32_t>(replyDelayMs_);
        if (ElapsedMs(MonotonicMilliseconds(), loop.frameTime) < delay) {
            return;
        }
        loop.replyPending = false;
        if (!answering_ || !replyOwed_) {
            return;
        }
        replyOwed_ = false;
        hostName = hostName_;
        content.keysDown = keySource_ ? loop.sourcedKeys : keysDown_;
        content.foreground = foreground_;
    }
    std::span<const std::uint8_t> reply;
    if (loop.lastFrameGood) {
        content.hostNameRequested = loop.hostNameRequested;
        content.hostName = hostName;
        loop.hostNameRequested = false;
        reply = protocol::BuildReply(loop.sender, content);
    } else {
        reply = protocol::BuildBadFrameReport(loop.sender);
    }
    const bool sent = SendAll(reply);
    std::lock_guard guard(mutex_);
    repliesSent_ += sent ? 1 : 0;
    changed_.notify_all();
}

}  // namespace quib::tools
