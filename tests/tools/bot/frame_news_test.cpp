// What a bot reads out of a server frame: the two text lines and where its
// own figure was drawn, and nothing from the partner view.
#include <gtest/gtest.h>

#include <vector>

#include "protocol/messages.h"
#include "tools/bot/frame_news.h"

namespace quib::tools {
namespace {

using namespace protocol;

// The update frame of a figure one step into its move, as the server
// composes it: status and score lines, the own view with the board and the
// own figure, the partner view with the partner's figure.
std::vector<std::uint8_t> MovingFigureFrame(std::int8_t figureTarget) {
    SendBuffer buffer;
    buffer.StartFrame();
    Append(buffer, FrameStart{});
    Append(buffer, LeftText{0x00E6E6E6, {"Mit Pfeiltasten"}});
    Append(buffer, RightText{0x00969696, {"Punkte in Serie: 0"}});
    Append(buffer, BeginDrawing{figureTarget});
    Append(buffer, DrawImage{0, 0.0f, 0.0f});
    Append(buffer, DrawImage{2, 0.17f, 0.15f});
    Append(buffer, EndDrawing{});
    Append(buffer, BeginDrawing{kPartnerViewSlot});
    Append(buffer, DrawImage{3, 0.65f, 0.65f});
    Append(buffer, EndDrawing{});
    Append(buffer, Present{});
    const auto frame = buffer.FinishFrame();
    return {frame.begin(), frame.end()};
}

TEST(FrameNews, ReadsTheLinesAndTheOwnFigure) {
    const FrameNews news = ReadFrameNews(MovingFigureFrame(kOwnViewSlot));
    ASSERT_TRUE(news.status);
    EXPECT_EQ(news.status->colour, 0x00E6E6E6u);
    EXPECT_EQ(news.status->text, "Mit Pfeiltasten");
    EXPECT_EQ(news.score, "Punkte in Serie: 0");
    ASSERT_TRUE(news.ownFigure);
    EXPECT_FLOAT_EQ(news.ownFigure->x, 0.17f);
    EXPECT_FLOAT_EQ(news.ownFigure->y, 0.15f);
}

TEST(FrameNews, FigurePictureDrawnElsewhereIsNotTheOwnFigure) {
    const FrameNews news = ReadFrameNews(MovingFigureFrame(kPartnerViewSlot));
    EXPECT_FALSE(news.ownFigure);
}

TEST(FrameNews, FrameWithNothingNewSaysNothing) {
    SendBuffer buffer;
    buffer.StartFrame();
    Append(buffer, FrameStart{});
    const auto frame = buffer.FinishFrame();
    const FrameNews news = ReadFrameNews(frame);
    EXPECT_FALSE(news.status);
    EXPECT_FALSE(news.score);
    EXPECT_FALSE(news.ownFigure);
}

}  // namespace
}  // namespace quib::tools
