#include "server/engine/seat_mirror.h"

#include <gtest/gtest.h>

#include <memory>

#include "protocol/frame.h"
#include "protocol/messages.h"

namespace quib::server {
namespace {

template <typename... M>
bool RunFrame(SeatMirror& mirror, const M&... messages) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    EXPECT_TRUE((protocol::Append(*buffer, messages) && ...));
    return protocol::ExecuteFrame(buffer->FinishFrame(),
                                  [&mirror](std::uint8_t type, std::span<const std::uint8_t> body) {
                                      return mirror.Execute(type, body);
                                  });
}

bool AllOf(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != colour) {
                return false;
            }
        }
    }
    return true;
}

constexpr protocol::Colour kRed = 0x0000FF;  // 0x00BBGGRR
constexpr protocol::Colour kGreen = 0x00FF00;
constexpr protocol::Colour kBlue = 0xFF0000;

// Each view is drawn at the size the window shows it, from a slot image
// that exists at both sizes; each group reaches only its own view.
TEST(SeatMirror, PresentsTheOwnViewAt480AndThePartnerViewAt170) {
    SeatMirror mirror{std::filesystem::path(), std::make_shared<PictureCache>()};
    QImage own;
    QImage partner;
    mirror.onPresent = [&] {
        own = mirror.OwnView().copy();
        partner = mirror.PartnerView().copy();
    };
    ASSERT_TRUE(RunFrame(
        mirror, protocol::CreateImage{0, 1.0f, 1.0f}, protocol::BeginDrawing{0},
        protocol::Box{0.0f, 0.0f, 1.0f, 1.0f, kBlue}, protocol::EndDrawing{},
        protocol::BeginDrawing{protocol::kOwnViewSlot}, protocol::Box{0.0f, 0.0f, 1.0f, 1.0f, kRed},
        protocol::EndDrawing{}, protocol::BeginDrawing{protocol::kPartnerViewSlot},
        protocol::DrawImage{0, 0.0f, 0.0f}, protocol::Box{0.5f, 0.5f, 0.5f, 0.5f, kGreen},
        protocol::EndDrawing{}, protocol::Present{}));
    ASSERT_EQ(own.size(), QSize(480, 480));
    EXPECT_TRUE(AllOf(own, 0xFF0000)) << "the own view is red, untouched by the partner group";
    ASSERT_EQ(partner.size(), QSize(170, 170));
    EXPECT_EQ(partner.pixel(40, 40) & 0xFFFFFF, 0x0000FFu) << "the blue slot image, at 170";
    EXPECT_EQ(partner.pixel(130, 130) & 0xFFFFFF, 0x00FF00u) << "the green quarter";
    EXPECT_EQ(mirror.SlotSize(0), QSize(480, 480)) << "sizes are those at 480 per unit";
}

}  // namespace
}  // namespace quib::server
