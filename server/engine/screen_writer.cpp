#include "server/engine/screen_writer.h"

namespace quib::server {

namespace {

constexpr float kMirrorUnit = 480.0f;
constexpr std::uint8_t kFirstDrawingType = 200;

}  // namespace

ScreenWriter::ScreenWriter(int seat, protocol::SendBuffer& frame, DrawingExecutor& mirror,
                           ServerState& state)
    : seat_(seat), frame_(frame), mirror_(mirror), state_(state) {}

void ScreenWriter::SendCentredImage(std::int8_t slot, float x, float y) {
    const QSize size = mirror_.SlotSize(slot);
    Send(protocol::DrawImage{slot, x - (static_cast<float>(size.width()) / kMirrorUnit) * 0.5f,
                             y - (static_cast<float>(size.height()) / kMirrorUnit) * 0.5f});
}

void ScreenWriter::Mirror(std::span<const std::uint8_t> message) {
    const std::uint8_t type = message[0];
    const std::span<const std::uint8_t> body = message.subspan(2);
    if (type >= kFirstDrawingType) {
        // The server's own pictures may be missing where a client has them;
        // the mirror then simply lacks the figure, as the player's screen
        // would.
        mirror_.Execute(type, body);
    } else if (type == static_cast<std::uint8_t>(protocol::ServerMessage::LeftText)) {
        MirrorText(seat_, body);
    } else if (type == static_cast<std::uint8_t>(protocol::ServerMessage::RightText)) {
        MirrorText(seat_ + 2, body);
    }
}

// Slot `seat` mirrors the player's status line (the lower line of the seat
// panel), slot `seat + 2` the score line (the upper one). The server shows
// an empty text too, although the player program rejects it.
void ScreenWriter::MirrorText(int statusSlot, std::span<const std::uint8_t> body) {
    protocol::BodyReader reader(body);
    std::uint32_t colour = 0;
    reader.Get(colour);
    const auto* text = reinterpret_cast<const char*>(body.data()) + 4;
    StatusSlot& slot = state_.statusSlots[static_cast<std::size_t>(statusSlot)];
    slot.colour = static_cast<std::int32_t>(colour);
    slot.text = " " + std::string(text, body.size() - 4);
    slot.dirty = 1;
}

}  // namespace quib::server
