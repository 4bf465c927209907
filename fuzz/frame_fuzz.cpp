// Feeds arbitrary bytes through the frame receiver in pieces, and checks and
// parses every frame it takes out of them (and what is left unfinished at the
// end), decoding every message of both directions the way the two programs
// do. Any out-of-bounds read or undefined behaviour is a
// finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/messages.h"
#include "protocol/receiver.h"
#include "protocol/reply.h"

namespace {

using namespace quib::protocol;

template <typename M>
bool Decode(std::span<const std::uint8_t> body) {
    M message{};
    return Parse(body, &message);
}

bool DecodeServerMessage(std::uint8_t type, std::span<const std::uint8_t> body) {
    switch (static_cast<ServerMessage>(type)) {
        case ServerMessage::FrameStart:
            return Decode<FrameStart>(body);
        case ServerMessage::RightText:
            return Decode<RightText>(body);
        case ServerMessage::LeftText:
            return Decode<LeftText>(body);
        case ServerMessage::HostNameRequest:
            return Decode<HostNameRequest>(body);
        case ServerMessage::BeginDrawing:
            return Decode<BeginDrawing>(body);
        case ServerMessage::EndDrawing:
            return Decode<EndDrawing>(body);
        case ServerMessage::CreateImage:
            return Decode<CreateImage>(body);
        case ServerMessage::LoadPicture:
            return Decode<LoadPicture>(body);
        case ServerMessage::FreeImage:
            return Decode<FreeImage>(body);
        case ServerMessage::DrawImage:
            return Decode<DrawImage>(body);
        case ServerMessage::FrontColour:
            return Decode<FrontColour>(body);
        case ServerMessage::BackColour:
            return Decode<BackColour>(body);
        case ServerMessage::DrawingMode:
            return Decode<DrawingMode>(body);
        case ServerMessage::Plot:
            return Decode<Plot>(body);
        case ServerMessage::Line:
            return Decode<Line>(body);
        case ServerMessage::Box:
            return Decode<Box>(body);
        case ServerMessage::Circle:
            return Decode<Circle>(body);
        case ServerMessage::Ellipse:
            return Decode<Ellipse>(body);
        case ServerMessage::Fill:
            return Decode<Fill>(body);
        case ServerMessage::Polygon:
            return Decode<Polygon>(body);
        case ServerMessage::Present:
            return Decode<Present>(body);
    }
    return false;
}

bool DecodeClientMessage(std::uint8_t type, std::span<const std::uint8_t> body) {
    switch (static_cast<ClientMessage>(type)) {
        case ClientMessage::ReplyStart:
            return Decode<ReplyStart>(body);
        case ClientMessage::HostName:
            return Decode<HostName>(body);
        case ClientMessage::KeyDown:
            return Decode<KeyDown>(body);
        case ClientMessage::BadFrameReport:
            return Decode<BadFrameReport>(body);
    }
    return false;
}

struct Endpoint {
    FrameReceiver receiver;
    SendBuffer sendBuffer;
};

// Checks, parses and answers one finished frame as both programs would.
void TakeFrame(Endpoint& endpoint) {
    const auto frame = endpoint.receiver.bytes();
    const bool asServer = ExecuteFrame(frame, DecodeServerMessage);
    const bool asClient = ExecuteFrame(frame, DecodeClientMessage);
    // Both programs answer or process every frame; building the answer must
    // always give a frame that passes the checks.
    const auto reply = asServer ? BuildReply(endpoint.sendBuffer, {true, "fuzz", {}, true})
                                : BuildBadFrameReport(endpoint.sendBuffer);
    if (CheckFrame(reply) != FrameCheck::Good || (asClient && frame.size() < kMinFrameSize)) {
        __builtin_trap();
    }
}

// Milliseconds between two reads: back to back, a busy link, and gaps just
// below and beyond the completion limit, so that frames run out of time and
// their rest is skipped.
constexpr std::uint32_t kReadGapsMs[] = {0, 7, FrameReceiver::kCompletionLimitMs - 1,
                                         FrameReceiver::kCompletionLimitMs};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto endpoint = std::make_unique<Endpoint>();
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the size of the reads the stream is cut into
    // and the time between them.
    const std::size_t piece = 1 + data[0] % 64;
    const std::uint32_t gap = kReadGapsMs[data[0] >> 6];
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    FrameReceiver& receiver = endpoint->receiver;
    receiver.Reset();
    std::uint32_t now = 0;
    for (std::size_t offset = 0; offset < stream.size();) {
        const auto space = receiver.FreeSpace();
        const std::size_t n = std::min({piece, stream.size() - offset, space.size()});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(offset), n, space.begin());
        receiver.Received(n, now);
        offset += n;
        now += gap;
        if (receiver.Expire(now) != FrameReceiver::Status::Incomplete &&
            receiver.status() != FrameReceiver::Status::Empty) {
            TakeFrame(*endpoint);
            receiver.Clear();
        }
    }
    if (receiver.status() == FrameReceiver::Status::Incomplete) {
        TakeFrame(*endpoint);
    }
    return 0;
}
