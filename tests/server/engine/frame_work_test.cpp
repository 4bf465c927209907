// The heaviest frames the game sends, drawn as a player program draws them:
// each stays far within the work a player program allows one frame, so the
// limit that stops a hostile frame never touches a real one.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <cstdint>
#include <span>

#include "common/drawing.h"
#include "protocol/frame.h"
#include "server/engine/screen_composition.h"
#include "tests/server/engine/game_fixture.h"

namespace quib::server {
namespace {

constexpr int kPlayerUnit = 480;
// A real frame may use at most this share of the player's frame work.
constexpr std::int64_t kMargin = 8;

class RealFrameWork : public quib::testing::GameFixture,
                      public ::testing::WithParamInterface<std::int32_t> {
  protected:
    // Everything a frame can carry at once: both boards drawn for the first
    // time, both figures loaded and shown, the partner's finished frame, and
    // the present.
    void ShowEverything() {
        for (SeatRecord& r : engine->game().seats) {
            r.ownFigureVisible = 1;
            r.partnerFigureVisible = 1;
            r.readyState = 1;
        }
        state.gameState = Running;
    }
};

TEST_P(RealFrameWork, TheFirstFrameOfARoundUsesAtMostAnEighthOfThePlayersFrameWork) {
    // The largest figure a picture field holds: a whole field.
    QImage figure(kPlayerUnit, kPlayerUnit, QImage::Format_ARGB32);
    figure.fill(QColor(200, 40, 160, 128));
    ASSERT_TRUE(figure.save(QString::fromStdString((grafikDir() / "figur0.png").string()), "PNG"));
    state.settings.level = GetParam();
    engine->game().SetUpRound(now);
    ShowEverything();
    engine->ComposeUpdateFrame(0, now);
    const std::span<const std::uint8_t> frame = engine->links().links[0].sender.FinishFrame();

    DrawingExecutor player(DrawingConfig{kPlayerUnit, kPlayerUnit, grafikDir(), 1.0f},
                           kPlayerFrameWorkFields);
    player.StartFrame();
    ASSERT_TRUE(protocol::ExecuteFrame(frame, [&player](std::uint8_t type, auto body) {
        return type < 200 || player.Execute(type, body);
    }));
    const std::int64_t field = std::int64_t{kPlayerUnit} * kPlayerUnit;
    const double fields = static_cast<double>(player.FrameWork()) / static_cast<double>(field);
    RecordProperty("frame_work_fields", std::to_string(fields));
    EXPECT_LE(player.FrameWork() * kMargin, kPlayerFrameWorkFields * field)
        << "the frame costs " << fields << " picture fields";
    EXPECT_GT(player.FrameWork(), 2 * field) << "both boards are drawn";
}

INSTANTIATE_TEST_SUITE_P(Levels, RealFrameWork, ::testing::Range(1, 7));

}  // namespace
}  // namespace quib::server
