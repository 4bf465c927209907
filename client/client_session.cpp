#include "client/client_session.h"

#include <utility>

#include "protocol/reply.h"

namespace quib::client {
namespace {

constexpr std::uint8_t kFirstDrawingType = 200;
constexpr std::uint8_t kLastDrawingType = 254;

}  // namespace

ClientSession::ClientSession(DrawingExecutor& drawing, TextHandler onText,
                             PictureHandler onPictures)
    : drawing_(drawing),
      onText_(std::move(onText)),
      onPictures_(std::move(onPictures)),
      sendBuffer_(std::make_unique<protocol::SendBuffer>()) {}

std::span<const std::uint8_t> ClientSession::HandleFrame(std::span<const std::uint8_t> received,
                                                         const ReplyInputs& inputs,
                                                         const std::atomic<bool>* stop) {
    drawing_.StartFrame();
    const bool good = protocol::ExecuteFrame(
        received, [this, stop](std::uint8_t type, std::span<const std::uint8_t> body) {
            return !(stop != nullptr && stop->load()) && ExecuteMessage(type, body);
        });
    ReportPictures();
    if (!good) {
        // The host-name request stays set: the next good frame's reply
        // carries the name.
        return protocol::BuildBadFrameReport(*sendBuffer_);
    }

    protocol::ReplyContent content;
    content.hostNameRequested = hostNameRequested_;
    content.hostName = inputs.hostName;
    content.foreground = inputs.foreground;
    if (inputs.foreground && inputs.keys != nullptr) {
        content.keysDown = inputs.keys->Sample();
    }
    hostNameRequested_ = false;
    return protocol::BuildReply(*sendBuffer_, content);
}

// The server sends a figure once per round and never repeats a frame: a
// picture this computer lacks would leave the player without a figure, with
// nothing on the screen to say so.
void ClientSession::ReportPictures() {
    if (!onPictures_) {
        return;
    }
    if (!drawing_.missingPicture().empty()) {
        onPictures_(drawing_.missingPicture());
    } else if (drawing_.picturesLoaded() > 0) {
        onPictures_({});
    }
}

bool ClientSession::ExecuteMessage(std::uint8_t type, std::span<const std::uint8_t> body) {
    using protocol::ServerMessage;
    if (type >= kFirstDrawingType && type <= kLastDrawingType) {
        return drawing_.Execute(type, body);
    }
    switch (static_cast<ServerMessage>(type)) {
        case ServerMessage::FrameStart:
            return true;
        case ServerMessage::LeftText:
            return ShowText<protocol::LeftText>(TextField::Left, body);
        case ServerMessage::RightText:
            return ShowText<protocol::RightText>(TextField::Right, body);
        case ServerMessage::HostNameRequest:
            hostNameRequested_ = true;
            return true;
        default:
            return false;
    }
}

template <typename TextMessage>
bool ClientSession::ShowText(TextField field, std::span<const std::uint8_t> body) {
    TextMessage message;
    // A line message without a text byte is malformed: the frame is bad.
    if (!protocol::Parse(body, &message)) {
        return false;
    }
    if (onText_) {
        onText_(field, message.colour, message.text.value);
    }
    return true;
}

}  // namespace quib::client
