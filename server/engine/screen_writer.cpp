#include "server/engine/screen_writer.h"

namespace quib::server {

namespace {

constexpr float kMirrorUnit = 480.0f;
constexpr std::uint8_t kFirstDrawingType = 200;

// Slot `seat` mirrors the player's status line (the lower line of the seat
// panel), slot `seat + 2` the score line (the upper one). The server shows
// an empty text too, although the player program rejects it.
void MirrorText(ServerState& state, int statusSlot, std::span<const std::uint8_t> body) {
    protocol::BodyReader reader(body);
    std::uint32_t colour = 0;
    reader.Get(colour);
    const auto* text = reinterpret_cast<const char*>(body.data()) + 4;
    StatusSlot& slot = state.statusSlots[static_cast<std::size_t>(statusSlot)];
    slot.colour = static_cast<std::int32_t>(colour);
    slot.text = " " + std::string(text, body.size() - 4);
    slot.dirty = 1;
}

void MirrorMessage(int seat, SeatMirror& mirror, ServerState& state, std::uint8_t type,
                   std::span<const std::uint8_t> body) {
    if (type >= kFirstDrawingType) {
        // The server's own pictures may be missing where a client has them;
        // the mirror then simply lacks the figure, as the player's screen
        // would.
        mirror.Execute(type, body);
    } else if (type == static_cast<std::uint8_t>(protocol::ServerMessage::LeftText)) {
        MirrorText(state, seat, body);
    } else if (type == static_cast<std::uint8_t>(protocol::ServerMessage::RightText)) {
        MirrorText(state, seat + 2, body);
    }
}

}  // namespace

ScreenWriter::ScreenWriter(int seat, protocol::SendBuffer& frame, SeatMirror& mirror,
                           ServerState& state, MirrorBacklog& backlog)
    : seat_(seat), frame_(frame), mirror_(mirror), state_(state), backlog_(backlog) {}

void ScreenWriter::StartFrame() {
    frame_.StartFrame();
    backlog_.from = backlog_.to = frame_.length();
    sizeMayChange_ = false;
}

void ScreenWriter::SendCentredImage(std::int8_t slot, float x, float y) {
    if (sizeMayChange_) {
        CatchUp();
    }
    const QSize size = mirror_.SlotSize(slot);
    Send(protocol::DrawImage{slot, x - (static_cast<float>(size.width()) / kMirrorUnit) * 0.5f,
                             y - (static_cast<float>(size.height()) / kMirrorUnit) * 0.5f});
}

bool ScreenWriter::ChangesPictureSizes(protocol::ServerMessage type) {
    using enum protocol::ServerMessage;
    return type == CreateImage || type == LoadPicture || type == FreeImage;
}

void ScreenWriter::CatchUp() {
    DrawMirrorBacklog(seat_, frame_.bytes(), mirror_, state_, backlog_);
    sizeMayChange_ = false;
}

void DrawMirrorBacklog(int seat, std::span<const std::uint8_t> frame, SeatMirror& mirror,
                       ServerState& state, MirrorBacklog& backlog) {
    // The backlog holds whole messages the writer appended itself, so each
    // length byte is at least 2 and ends within the backlog.
    std::size_t position = backlog.from;
    while (position + 2 <= backlog.to && backlog.to <= frame.size()) {
        const std::uint8_t type = frame[position];
        const std::size_t length = frame[position + 1];
        if (length < 2 || position + length > backlog.to) {
            break;
        }
        MirrorMessage(seat, mirror, state, type, frame.subspan(position + 2, length - 2));
        position += length;
    }
    backlog.from = backlog.to;
}

}  // namespace quib::server
