// The measuring player's account of a key press: which reply carried the
// key, and how many exchanges and milliseconds later a frame drew the figure
// elsewhere. Frames are built as the server composes them; the clock is the
// test's.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/lab_bench/measuring_player.h"
#include "protocol/messages.h"

namespace quib::bench {
namespace {

using namespace protocol;
using namespace std::chrono_literals;

constexpr const char* kPlaying =
    "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden.";
constexpr const char* kPressToStart =
    "Um neue Runde zu starten bitte Leertaste dr\xFC"
    "cken.";
constexpr std::size_t kSpace = 32;
constexpr std::size_t kLeft = 37;
constexpr std::size_t kRight = 39;

struct FrameContent {
    std::optional<std::string> status;
    std::optional<Point> ownFigure;
    std::optional<Point> partnerFigure;
};

std::vector<std::uint8_t> Frame(const FrameContent& content) {
    SendBuffer buffer;
    buffer.StartFrame();
    Append(buffer, FrameStart{});
    if (content.status) {
        Append(buffer, LeftText{0x00E6E6E6, {*content.status}});
    }
    if (content.ownFigure) {
        Append(buffer, BeginDrawing{kOwnViewSlot});
        Append(buffer, DrawImage{0, 0.0f, 0.0f});
        Append(buffer, DrawImage{2, content.ownFigure->x, content.ownFigure->y});
        Append(buffer, EndDrawing{});
    }
    if (content.partnerFigure) {
        Append(buffer, BeginDrawing{kPartnerViewSlot});
        Append(buffer, DrawImage{3, content.partnerFigure->x, content.partnerFigure->y});
        Append(buffer, EndDrawing{});
    }
    const auto frame = buffer.FinishFrame();
    return {frame.begin(), frame.end()};
}

constexpr Point kLeftCell{0.1f, 0.1f};

class MeasuringPlayerTest : public ::testing::Test {
  protected:
    // One frame arriving 25 ms after the previous one.
    std::bitset<256> Arrive(const FrameContent& content) {
        now_ += 25ms;
        return player_.OnFrame(Frame(content));
    }

    // A running round with the figure standing; the third frame's reply
    // presses the first arrow.
    void StandThenPress() {
        player_.SetMoving(true);
        Arrive({kPlaying, kLeftCell, {}});
        Arrive({{}, kLeftCell, {}});
        ASSERT_TRUE(Arrive({{}, kLeftCell, {}}).test(kRight));
    }

    MeasuringPlayer::Clock::time_point now_{};
    MeasuringPlayer player_{[this] { return now_; }};
};

TEST_F(MeasuringPlayerTest, PressesAnArrowOnlyOnceTheFigureStandsAndTimesItsFirstMove) {
    player_.SetMoving(true);
    EXPECT_TRUE(Arrive({kPlaying, kLeftCell, {}}).none());
    EXPECT_TRUE(Arrive({{}, kLeftCell, {}}).none()) << "one frame at rest is not yet standing";
    const auto press = Arrive({{}, kLeftCell, {}});
    EXPECT_TRUE(press.test(kRight));
    EXPECT_EQ(press.count(), 1u);
    EXPECT_TRUE(Arrive({{}, kLeftCell, {}}).none()) << "the key is released in the next reply";
    Arrive({{}, Point{0.12f, 0.1f}, {}});  // drawn one step on: two exchanges
    const PlayerRecord record = player_.TakeRecord();
    ASSERT_EQ(record.reactions.size(), 1u);
    EXPECT_EQ(record.reactions[0].exchanges, 2);
    EXPECT_DOUBLE_EQ(record.reactions[0].ms, 50.0);
    EXPECT_EQ(record.frames, 5u);
    EXPECT_EQ(record.frameGapsMs, std::vector<double>(4, 25.0));
}

TEST_F(MeasuringPlayerTest, NextPressGoesBackAndWaitsForTheFigureToStandAgain) {
    ASSERT_NO_FATAL_FAILURE(StandThenPress());
    Arrive({{}, kLeftCell, {}});
    const Point onTheWay{0.2f, 0.1f};
    const Point there{0.6f, 0.1f};
    EXPECT_TRUE(Arrive({{}, onTheWay, {}}).none());
    EXPECT_TRUE(Arrive({{}, there, {}}).none()) << "still travelling";
    EXPECT_TRUE(Arrive({{}, there, {}}).none());
    EXPECT_TRUE(Arrive({{}, there, {}}).test(kLeft));
    EXPECT_EQ(player_.TakeRecord().reactions.size(), 1u);
}

TEST_F(MeasuringPlayerTest, APressThatNeverShowsIsCountedAndNotTimed) {
    ASSERT_NO_FATAL_FAILURE(StandThenPress());
    for (int i = 0; i < MeasuringPlayer::kShowLimit; ++i) {
        Arrive({{}, {}, {}});
    }
    const PlayerRecord record = player_.TakeRecord();
    EXPECT_TRUE(record.reactions.empty());
    EXPECT_EQ(record.pressesNotShown, 1);
}

TEST_F(MeasuringPlayerTest, StaysStillUntilToldToMove) {
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Arrive({kPlaying, kLeftCell, {}}).none());
    }
    EXPECT_EQ(player_.phase(), PlayerPhase::Playing);
}

TEST_F(MeasuringPlayerTest, StartsTheRoundWithOneSpacePress) {
    EXPECT_TRUE(Arrive({kPressToStart, {}, {}}).test(kSpace));
    EXPECT_EQ(player_.phase(), PlayerPhase::PressToStart);
    EXPECT_TRUE(Arrive({{}, {}, {}}).none()) << "released";
    EXPECT_TRUE(Arrive({{}, {}, {}}).none()) << "not pressed again at once";
}

// The partner's figure moves on the partner's exchanges: a frame of ours
// that shows it where the last did, in the middle of a journey, does not
// start a new journey.
TEST_F(MeasuringPlayerTest, CountsPartnerJourneysAcrossAFrameThatMissedAStep) {
    const std::vector<float> xs = {0.1f, 0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.3f,
                                   0.6f, 0.6f, 0.6f, 0.6f, 0.5f, 0.1f};
    for (float x : xs) {
        Arrive({{}, {}, Point{x, 0.1f}});
    }
    EXPECT_EQ(player_.TakeRecord().partnerJourneys, 2);
}

}  // namespace
}  // namespace quib::bench
