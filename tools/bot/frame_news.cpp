#include "tools/bot/frame_news.h"

namespace quib::tools {
namespace {

constexpr std::int8_t kOwnFigureSlot = 2;
constexpr std::int8_t kPartnerViewBackgroundSlot = 1;
constexpr std::int8_t kNoTarget = 0x7F;  // between a 201 and the next 200

}  // namespace

FrameNews ReadFrameNews(std::span<const std::uint8_t> frame) {
    using protocol::ServerMessage;
    FrameNews news;
    std::int8_t target = kNoTarget;
    protocol::ParseMessages(frame, [&](std::uint8_t type, std::span<const std::uint8_t> body) {
        switch (static_cast<ServerMessage>(type)) {
            case ServerMessage::LeftText: {
                protocol::LeftText line;
                if (!protocol::Parse(body, &line)) {
                    return false;
                }
                news.status = StatusLine{line.colour, std::string(line.text.value)};
                return true;
            }
            case ServerMessage::RightText: {
                protocol::RightText line;
                if (!protocol::Parse(body, &line)) {
                    return false;
                }
                news.score = std::string(line.text.value);
                return true;
            }
            case ServerMessage::BeginDrawing: {
                protocol::BeginDrawing begin;
                if (!protocol::Parse(body, &begin)) {
                    return false;
                }
                target = begin.slot;
                return true;
            }
            case ServerMessage::CreateImage: {
                protocol::CreateImage image;
                if (!protocol::Parse(body, &image)) {
                    return false;
                }
                news.partnerViewCreated |= image.slot == kPartnerViewBackgroundSlot;
                return true;
            }
            case ServerMessage::EndDrawing:
                target = kNoTarget;
                return true;
            case ServerMessage::DrawImage: {
                protocol::DrawImage image;
                if (!protocol::Parse(body, &image)) {
                    return false;
                }
                if (target == protocol::kOwnViewSlot && image.slot == kOwnFigureSlot) {
                    news.ownFigure = protocol::Point{image.x, image.y};
                }
                return true;
            }
            default:
                return true;
        }
    });
    return news;
}

}  // namespace quib::tools
