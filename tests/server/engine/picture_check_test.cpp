// What the server learns of the pictures a player's program could not show:
// the names a frame loads, how the reply to it marks them missing or found,
// and, with a real connection, the warning and the log line that follow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/frame.h"
#include "protocol/messages.h"
#include "protocol/reply.h"
#include "server/engine/picture_check.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using Change = PictureCheck::Change;

std::vector<std::uint8_t> FrameLoading(const std::vector<std::string>& names) {
    protocol::SendBuffer buffer;
    buffer.StartFrame();
    protocol::Append(buffer, protocol::FrameStart{});
    std::int8_t slot = 0;
    for (const std::string& name : names) {
        protocol::Append(buffer, protocol::LoadPicture{slot++, {name}});
        protocol::Append(buffer, protocol::DrawImage{0, 0.5f, 0.5f});
    }
    const auto frame = buffer.FinishFrame();
    return {frame.begin(), frame.end()};
}

TEST(LoadedPictureNames, AreTheLoadMessagesNamesInFrameOrder) {
    EXPECT_EQ(LoadedPictureNames(FrameLoading({"bauer0.png", "bauer1.png"})),
              (std::vector<std::string>{"bauer0.png", "bauer1.png"}));
    EXPECT_EQ(LoadedPictureNames(FrameLoading({"bauer0.png", "bauer0.png"})),
              std::vector<std::string>{"bauer0.png"});
    EXPECT_TRUE(LoadedPictureNames(FrameLoading({})).empty());
}

struct Step {
    std::vector<std::string> frameLoads;
    bool badFrameReported;
    Change expected;
    std::vector<std::string> missingAfter;
};

struct CheckCase {
    const char* name;
    std::vector<Step> steps;
};

class PictureCheckCases : public ::testing::TestWithParam<CheckCase> {};

TEST_P(PictureCheckCases, MarksMissingAndFoundFromTheReplies) {
    PictureCheck check;
    int n = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        check.FrameSent(FrameLoading(step.frameLoads));
        EXPECT_EQ(check.ReplyTaken(step.badFrameReported), step.expected);
        EXPECT_EQ(check.missing(), step.missingAfter);
    }
}

const std::vector<std::string> kFigure = {"bauer0.png", "bauer1.png"};
const std::vector<std::string> kOther = {"turm0.png"};

INSTANTIATE_TEST_SUITE_P(Replies, PictureCheckCases,
                         ::testing::Values(CheckCase{"PicturesAnsweredNormallyAreFine",
                                                     {{kFigure, false, Change::None, {}}}},
                                           CheckCase{"ABadFrameWithoutPicturesSaysNothingOfThem",
                                                     {{{}, true, Change::None, {}}}},
                                           CheckCase{"ABadFrameReportToPicturesMarksThemMissing",
                                                     {{kFigure, true, Change::Missing, kFigure}}},
                                           CheckCase{"LaterFramesWithoutPicturesKeepTheWarning",
                                                     {{kFigure, true, Change::Missing, kFigure},
                                                      {{}, false, Change::None, kFigure},
                                                      {{}, true, Change::None, kFigure}}},
                                           CheckCase{"TheSamePicturesMissingAgainAreNotNews",
                                                     {{kFigure, true, Change::Missing, kFigure},
                                                      {kFigure, true, Change::None, kFigure}}},
                                           CheckCase{"OtherPicturesMissingAreNews",
                                                     {{kFigure, true, Change::Missing, kFigure},
                                                      {kOther, true, Change::Missing, kOther}}},
                                           CheckCase{"PicturesLoadedLaterClearTheWarning",
                                                     {{kFigure, true, Change::Missing, kFigure},
                                                      {kFigure, false, Change::Found, {}}}}),
                         quib::testing::CaseName());

TEST(PictureCheck, APlayerWhoLeavesTakesTheWarningAlong) {
    PictureCheck check;
    check.FrameSent(FrameLoading(kFigure));
    ASSERT_EQ(check.ReplyTaken(true), Change::Missing);
    EXPECT_EQ(check.Forget(), Change::Found);
    EXPECT_TRUE(check.missing().empty());
    EXPECT_EQ(check.Forget(), Change::None);
}

// A player's program that answers by hand: the engine sends both figures of
// a round that shows them, and the program reports the frame bad, as one
// whose grafik/ lacks them does.
class PlayerPictures : public quib::testing::GameFixture {
  protected:
    void ShowFigures() {
        // The partner's view of the figure, so that the frame names both.
        quib::testing::WriteBytes(grafikDir() / "figur1.png", "not drawn by the server");
        engine->game().SetUpRound(now);
        for (SeatRecord& r : engine->game().seats) {
            r.ownFigureVisible = 1;
            r.partnerFigureVisible = 1;
        }
    }

    // Waits for the seat's next frame and answers it.
    bool AnswerNextFrame(tools::TestClient& player, bool bad) {
        const std::size_t before = player.FramesReceived();
        if (!PumpAdvancingUntil(30, [&] { return player.FramesReceived() > before; })) {
            return false;
        }
        protocol::SendBuffer reply;
        const auto bytes = bad ? protocol::BuildBadFrameReport(reply)
                               : protocol::BuildReply(reply, protocol::ReplyContent{});
        return player.SendRaw(bytes) &&
               PumpAdvancingUntil(0, [&] { return link(seat_).connectionState == LinkIdle; });
    }

    int seat_ = -1;
};

TEST_F(PlayerPictures, AReportedFrameWithFiguresWarnsAndLogsUntilTheFiguresLoad) {
    tools::TestClient player;
    seat_ = SeatAndGreet(player);
    ASSERT_EQ(seat_, 0);
    player.SetAnswering(false);
    ShowFigures();
    TakeLogTexts();

    ASSERT_TRUE(AnswerNextFrame(player, true));
    const std::string warning = "Bild fehlt auf dem Rechner des Spielers: figur0.png, figur1.png";
    EXPECT_EQ(state.seatWarnings[0], warning);
    EXPECT_TRUE(state.seatWarnings[1].empty());
    EXPECT_EQ(state.refreshSeatWarnings, 1);
    EXPECT_EQ(TakeLogTexts(), std::vector<std::string>{"Spieler 1: " + warning});

    // Frames without pictures go on being answered: the warning stays, and
    // the log says it once.
    state.refreshSeatWarnings = 0;
    ASSERT_TRUE(AnswerNextFrame(player, false));
    EXPECT_EQ(state.seatWarnings[0], warning);
    EXPECT_EQ(state.refreshSeatWarnings, 0);
    EXPECT_TRUE(TakeLogTexts().empty());

    // The next round sends the figures again, and this time they load.
    engine->game().ResetScreens(ScreenReset::MarkUnsent);
    ASSERT_TRUE(AnswerNextFrame(player, false));
    EXPECT_TRUE(state.seatWarnings[0].empty());
    EXPECT_EQ(state.refreshSeatWarnings, 1);
}

}  // namespace
}  // namespace quib::server
