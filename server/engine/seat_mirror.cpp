#include "server/engine/seat_mirror.h"

#include "protocol/messages.h"

namespace quib::server {

namespace {

constexpr int kScreenUnit = 480;
constexpr int kPartnerViewUnit = 170;

// The messages that draw on the open target (its colours and mode
// included); the others create, load or free images, open and close groups
// or present, and every store needs them.
bool DrawsOnTarget(std::uint8_t type) {
    return type >= static_cast<std::uint8_t>(protocol::ServerMessage::DrawImage) &&
           type <= static_cast<std::uint8_t>(protocol::ServerMessage::Polygon);
}

}  // namespace

SeatMirror::SeatMirror(const std::filesystem::path& pictureDir,
                       std::shared_ptr<PictureCache> pictures)
    : screen(DrawingConfig{kScreenUnit, kScreenUnit, pictureDir, 1.0f, pictures}),
      partnerView(DrawingConfig{kPartnerViewUnit, kPartnerViewUnit, pictureDir,
                                static_cast<float>(kPartnerViewUnit) / kScreenUnit, pictures}) {
    // The partner view store presents first, so both views are complete
    // when the screen store's present reports them.
    screen.onPresent = [this] {
        if (onPresent) {
            onPresent();
        }
    };
}

bool SeatMirror::Execute(std::uint8_t type, std::span<const std::uint8_t> body) {
    if (type == static_cast<std::uint8_t>(protocol::ServerMessage::BeginDrawing)) {
        protocol::BeginDrawing begin{};
        openSlot_ = protocol::Parse(body, &begin) ? std::optional(begin.slot) : std::nullopt;
    } else if (type == static_cast<std::uint8_t>(protocol::ServerMessage::EndDrawing)) {
        openSlot_.reset();
    }
    const bool drawing = DrawsOnTarget(type);
    bool result = true;
    if (!(drawing && openSlot_ == protocol::kOwnViewSlot)) {
        result = partnerView.Execute(type, body);
    }
    if (!(drawing && openSlot_ == protocol::kPartnerViewSlot)) {
        result = screen.Execute(type, body);
    }
    return result;
}

}  // namespace quib::server
