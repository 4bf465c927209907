// The game step: idle screens, the set-up, the players' start, their moves
// and the end of a round, driven with a hand-filled key table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/key_codes.h"
#include "server/game/status_colours.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::CaseName;
using quib::testing::GameFixture;

const std::string kWaitForPartner = "Bitte auf Mitspieler warten.";
const std::string kHowToPlay =
    "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden.";

float Centre(int cell) {
    return cell == 0 ? 0.25f : 0.75f;
}

class GameStepTest : public GameFixture {
  protected:
    // A round in progress with both figures standing on the given cells and
    // both space bars released since the start.
    void Running(int column0, int row0, int column1, int row1) {
        state.gameState = server::Running;
        engine->game().BeginRoundRecord(now);
        StandOn(0, column0, row0);
        StandOn(1, column1, row1);
        for (SeatRecord& s : engine->game().seats) {
            s.readyState = 0;
        }
    }

    void StandOn(int s, int column, int row) {
        SeatRecord& r = seat(s);
        r.cellX = column;
        r.cellY = row;
        r.targetX = r.shownX = Centre(column);
        r.targetY = r.shownY = Centre(row);
    }

    // The screen composition's part: the figure has reached its target.
    void Arrive(int s) {
        seat(s).shownX = seat(s).targetX;
        seat(s).shownY = seat(s).targetY;
    }

    void Step() { engine->GameStep(now); }

    const std::vector<std::string>& events() { return engine->game().roundRecord.events; }
};

TEST_F(GameStepTest, IdleHidesTheFiguresAndIgnoresKeys) {
    for (SeatRecord& s : engine->game().seats) {
        s.ownFigureVisible = 1;
        s.partnerFigureVisible = 1;
        s.statusColour = kRunningColour;
    }
    Report(0, {kKeySpace});
    Report(1, {kKeySpace, kKeyLeft});

    Step();

    EXPECT_EQ(state.gameState, Idle);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.ownFigureVisible, 0);
        EXPECT_EQ(s.partnerFigureVisible, 0);
        EXPECT_EQ(s.statusColour, Rgb(150, 150, 255));
        EXPECT_EQ(s.readyState, 0);
    }
}

TEST_F(GameStepTest, SetUpBuildsTheRoundAndWaitsForTheStart) {
    state.gameState = server::SetUp;
    now += 10;
    Step();
    EXPECT_EQ(state.gameState, WaitStart);
    EXPECT_EQ(engine->game().roundRecord.startMs, now);
    EXPECT_EQ(random->seeds, std::vector<std::uint32_t>{now});

    Step();  // nobody pressed anything
    EXPECT_EQ(state.gameState, WaitStart);
    EXPECT_TRUE(events().empty());
}

TEST_F(GameStepTest, EachPlayersStartIsShownUntilBothHaveStarted) {
    state.gameState = server::SetUp;
    Step();
    TakeLogTexts();

    now += 1500;
    Report(0, {kKeySpace});
    Step();
    EXPECT_EQ(state.gameState, WaitStart);
    EXPECT_EQ(seat(0).readyState, 1);
    EXPECT_EQ(seat(0).statusText, kWaitForPartner);
    EXPECT_EQ(seat(0).statusColour, Rgb(200, 255, 200));
    EXPECT_EQ(seat(1).readyState, 0);
    EXPECT_EQ(seat(1).statusColour, Rgb(255, 200, 200));

    now += 1000;
    Report(1, {kKeySpace});
    Step();
    EXPECT_EQ(state.gameState, server::Running);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.readyState, -1);
        EXPECT_EQ(s.ownFigureVisible, 1);
        EXPECT_EQ(s.partnerFigureVisible, 1);
        EXPECT_EQ(s.statusText, kHowToPlay);
        EXPECT_EQ(s.statusColour, Rgb(230, 230, 230));
    }
    EXPECT_EQ(events(), (std::vector<std::string>{"1500;00:00:01;1;Taste;Leertaste",
                                                  "2500;00:00:02;2;Taste;Leertaste",
                                                  "2500;00:00:02;0;Start;"}));
    EXPECT_EQ(TakeLogTexts(), std::vector<std::string>{"Spiel l\xE4uft ..."});
    EXPECT_EQ(engine->game().positionLogCount, 1);
}

// After players continued the last round with the space bar they are still
// ready, so the new round starts without a further press, and the presses
// that continued the game are not logged again.
TEST_F(GameStepTest, PlayersStillReadyStartAtOnce) {
    state.gameState = server::SetUp;
    seat(0).readyState = 1;
    seat(1).readyState = 1;
    Step();
    Step();
    EXPECT_EQ(state.gameState, server::Running);
    EXPECT_EQ(events(), std::vector<std::string>{"0;00:00:00;0;Start;"});
}

struct ArrowCase {
    const char* name;
    int seat;
    int column;
    int row;
    std::vector<std::int32_t> keys;
    int toColumn;
    int toRow;
    const char* keyWord;  // of the logged key line; null: nothing happens
};

const ArrowCase kArrowCases[] = {
    {"LeftAndUpAtTopLeftDoNothing", 0, 0, 0, {kKeyLeft, kKeyUp}, 0, 0, nullptr},
    {"LeftAndDownAtTopLeftMoveDown", 1, 0, 0, {kKeyLeft, kKeyDown}, 0, 1, "Runter"},
    {"RightAndDownAtTopLeftMoveRight", 0, 0, 0, {kKeyRight, kKeyDown}, 1, 0, "Rechts"},
    {"AllArrowsTryLeftFirst", 1, 1, 1, {kKeyLeft, kKeyUp, kKeyRight, kKeyDown}, 0, 1, "Links"},
    {"UpAndRightAtBottomRightMoveUp", 0, 1, 1, {kKeyUp, kKeyRight}, 1, 0, "Hoch"},
    {"DownAtTheBottomDoesNothing", 1, 0, 1, {kKeyDown}, 0, 1, nullptr},
    {"OtherKeysAreIgnored", 0, 0, 0, {13, 65, 127}, 0, 0, nullptr},
};

class Arrows : public GameStepTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(Arrows, MoveOneCellOrNothing) {
    const ArrowCase& c = GetParam();
    const int other = 1 - c.seat;
    Running(1, 1, 1, 1);
    StandOn(c.seat, c.column, c.row);
    engine->game().keyTable[c.seat].fill(0);
    for (std::int32_t code : c.keys) {
        engine->game().keyTable[c.seat][code] = 1;
    }
    now += 700;

    Step();

    const SeatRecord& mover = seat(c.seat);
    EXPECT_EQ(mover.cellX, c.toColumn);
    EXPECT_EQ(mover.cellY, c.toRow);
    EXPECT_EQ(mover.targetX, Centre(c.toColumn));
    EXPECT_EQ(mover.targetY, Centre(c.toRow));
    EXPECT_EQ(seat(other).cellX, 1);
    EXPECT_EQ(seat(other).cellY, 1);
    if (c.keyWord == nullptr) {
        EXPECT_TRUE(events().empty());
        EXPECT_EQ(engine->game().roundRecord.moves[c.seat], 0);
    } else {
        EXPECT_EQ(events(), std::vector<std::string>{"700;00:00:00;" + std::to_string(c.seat + 1) +
                                                     ";Taste;" + c.keyWord});
        EXPECT_EQ(engine->game().roundRecord.moves[c.seat], 1);
    }
    EXPECT_EQ(engine->game().roundRecord.moves[other], 0);
}

INSTANTIATE_TEST_SUITE_P(, Arrows, ::testing::ValuesIn(kArrowCases), CaseName());

TEST_F(GameStepTest, TravellingFigureIgnoresSpaceAndArrows) {
    Running(0, 0, 0, 0);
    Report(0, {kKeySpace, kKeyRight});
    Step();
    ASSERT_EQ(seat(0).readyState, 1);  // ended the round instead of moving
    seat(0).readyState = 0;
    Report(0, {kKeyRight});
    Step();
    ASSERT_EQ(seat(0).cellX, 1);
    seat(0).shownX = 0.5f;  // on its way to the right
    engine->game().roundRecord.events.clear();

    Report(0, {kKeySpace, kKeyDown});
    for (int i = 0; i < 5; ++i) {
        Step();
    }
    EXPECT_EQ(seat(0).readyState, 0);
    EXPECT_EQ(seat(0).cellY, 0);
    EXPECT_TRUE(events().empty());

    Arrive(0);
    Step();
    EXPECT_EQ(seat(0).readyState, 1);
    EXPECT_EQ(seat(0).cellY, 0);
}

// The space bar that started the round is still down; it must be let go of
// before a press can end the round, and holding it does not stop the moves.
TEST_F(GameStepTest, SpaceHeldFromTheStartEndsNothingUntilReleased) {
    state.gameState = server::SetUp;
    Step();
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    Step();
    ASSERT_EQ(state.gameState, server::Running);

    for (int i = 0; i < 5; ++i) {
        Step();
    }
    Report(0, {kKeySpace, kKeyDown});
    Step();
    EXPECT_EQ(seat(0).readyState, -1);
    EXPECT_EQ(seat(0).cellY, 1);
    Arrive(0);

    Report(0, {kKeyDown});
    Step();
    EXPECT_EQ(seat(0).readyState, 0);
    EXPECT_EQ(engine->game().partnerFinished[1], 0);

    now += 4000;
    Report(0, {kKeySpace});
    Step();
    EXPECT_EQ(seat(0).readyState, 1);
    EXPECT_EQ(seat(0).statusText, kWaitForPartner);
    EXPECT_EQ(seat(0).statusColour, Rgb(200, 255, 200));
    EXPECT_EQ(engine->game().partnerFinished[1], 1);
    EXPECT_EQ(engine->game().partnerFinished[0], 0);
    EXPECT_EQ(events().back(), "4000;00:00:04;1;Taste;Leertaste");
    EXPECT_EQ(seat(1).readyState, -1);
    EXPECT_EQ(state.gameState, server::Running);
}

// Letting go of the space bar, and pressing it, are the seat's one action of
// the step: an arrow reported with them waits for the next step.
TEST_F(GameStepTest, SpaceTakesTheSeatsStepBeforeArrows) {
    Running(0, 0, 0, 0);
    seat(0).readyState = -1;
    Report(0, {kKeyRight});
    Report(1, {kKeySpace, kKeyRight});
    Step();
    EXPECT_EQ(seat(0).readyState, 0);
    EXPECT_EQ(seat(0).cellX, 0);
    EXPECT_EQ(seat(1).readyState, 1);
    EXPECT_EQ(seat(1).cellX, 0);

    Step();
    EXPECT_EQ(seat(0).cellX, 1);
    EXPECT_EQ(seat(1).cellX, 0);  // it has ended the round
    EXPECT_EQ(engine->game().roundRecord.moves[0], 1);
    EXPECT_EQ(engine->game().roundRecord.moves[1], 0);
}

TEST_F(GameStepTest, BothEndingInOneStepEndTheRound) {
    Running(1, 0, 0, 1);
    for (SeatRecord& s : engine->game().seats) {
        s.displayMode = DisplayCovered;
        s.partnerBoardDrawn = 1;
        s.ownFigureVisible = 0;
        s.partnerFigureVisible = 0;
    }
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    now += 9000;

    Step();

    EXPECT_EQ(state.gameState, RoundOver);
    EXPECT_EQ(engine->game().roundRecord.endMs, now);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.readyState, -1);
        EXPECT_EQ(s.displayMode, DisplayOpen);
        EXPECT_EQ(s.partnerBoardDrawn, 0);
        EXPECT_EQ(s.ownFigureVisible, 1);
        EXPECT_EQ(s.partnerFigureVisible, 1);
    }
    EXPECT_EQ(engine->game().partnerFinished[0], 1);
    EXPECT_EQ(engine->game().partnerFinished[1], 1);
    EXPECT_EQ(events(), (std::vector<std::string>{"9000;00:00:09;1;Taste;Leertaste",
                                                  "9000;00:00:09;2;Taste;Leertaste"}));
    EXPECT_EQ(seat(0).cellX, 1);  // where the figures ended
    EXPECT_EQ(seat(1).cellY, 1);
}

TEST_F(GameStepTest, PlayerWhoEndedCannotMoveWhileThePartnerStillCan) {
    Running(1, 0, 0, 0);
    seat(0).readyState = 1;
    Report(0, {kKeyLeft});
    Report(1, {kKeyRight});
    Step();
    EXPECT_EQ(seat(0).cellX, 1);
    EXPECT_EQ(seat(1).cellX, 1);
    EXPECT_EQ(events(), std::vector<std::string>{"0;00:00:00;2;Taste;Rechts"});
    EXPECT_EQ(state.gameState, server::Running);
}

}  // namespace
}  // namespace quib::server
