// The measures worked out of a round by the server's rules: stimuli judged
// as the server judges them, moves and the first of them, and the pair of
// subjects.

#include "tools/export/round_measures.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace quib::exporter {
namespace {

struct SameCase {
    const char* name;
    int firstLevel;
    Stimulus first;
    int secondLevel;
    Stimulus second;
    bool same;
};

const SameCase kSameCases[] = {
    {"Level1SameColour", 1, {"red", "", "", "", ""}, 1, {"red", "", "", "", ""}, true},
    {"Level2OtherShape", 2, {"red", "circle", "", "", ""}, 2, {"red", "square", "", "", ""}, false},
    {"Level3FiguresSwapped",
     3,
     {"red", "circle", "apart", "blue", "square"},
     3,
     {"blue", "square", "apart", "red", "circle"},
     true},
    {"Level3OtherContact",
     3,
     {"red", "circle", "apart", "blue", "square"},
     3,
     {"red", "circle", "touching", "blue", "square"},
     false},
    // A colour outside the server's table is written as its RGB value.
    {"Level1UnnamedColour", 1, {"#ff0010", "", "", "", ""}, 1, {"#ff0010", "", "", "", ""}, true},
    {"Level1NamedAndUnnamedColour",
     1,
     {"red", "", "", "", ""},
     1,
     {"#ff6464", "", "", "", ""},
     true},
    // The parts a level does not draw hold the set-up's fixed values: grey
    // from level 4 on, so a level-4 and a level-2 triangle differ.
    {"Level4Shape", 4, {"", "triangle", "", "", ""}, 4, {"", "triangle", "", "", ""}, true},
    {"Level4AgainstLevel2",
     4,
     {"", "triangle", "", "", ""},
     2,
     {"none", "triangle", "", "", ""},
     false},
    {"Level5Contact",
     5,
     {"", "circle", "touching", "", "circle"},
     5,
     {"", "circle", "apart", "", "circle"},
     false},
};

class StimuliJudged : public ::testing::TestWithParam<SameCase> {};

TEST_P(StimuliJudged, AsTheServerJudgesARound) {
    const SameCase& c = GetParam();
    EXPECT_EQ(SameStimulus(c.first, c.firstLevel, c.second, c.secondLevel), c.same);
    EXPECT_EQ(SameStimulus(c.second, c.secondLevel, c.first, c.firstLevel), c.same);
}

INSTANTIATE_TEST_SUITE_P(, StimuliJudged, ::testing::ValuesIn(kSameCases),
                         quib::testing::CaseName());

RoundEvent Event(long long ms, int player, EventKind kind, int codeOrCell = 0) {
    RoundEvent event;
    event.ms = ms;
    event.player = player;
    event.kind = kind;
    event.key.code = kind == EventKind::Key ? codeOrCell : 0;
    event.cell = kind == EventKind::Position ? codeOrCell : 0;
    return event;
}

// Player 1 starts top left, player 2 bottom right. Keys that lead off the
// board or are no arrows (which the server never writes, but a file may
// hold) move nothing and are no first move.
TEST(Moves, AreArrowsThatLeadToACellOfTheBoard) {
    RoundFile round;
    round.startCells = {0, 3};
    round.endCells = {2, 1};
    round.events = {
        Event(100, 1, EventKind::Key, 32),  // space before the start
        Event(400, 0, EventKind::Start),    //
        Event(500, 1, EventKind::Key, 37),  // left from top left: off the board
        Event(700, 2, EventKind::Key, 38),  // up: bottom right to top right
        Event(900, 1, EventKind::Key, 65),  // "A": no arrow
        Event(950, 2, EventKind::Position, 1),
        Event(1000, 1, EventKind::Key, 40),  // down: top left to bottom left
        Event(1300, 1, EventKind::Position, 2),
        Event(1400, 2, EventKind::Key, 38),  // up from the top row: off the board
    };
    const RoundMeasures measures = MeasureRound(round);
    ASSERT_EQ(measures.moves.size(), round.events.size());
    for (std::size_t i = 0; i < round.events.size(); ++i) {
        const bool moved = i == 3 || i == 6;
        EXPECT_EQ(measures.moves[i].has_value(), moved) << "event " << i;
    }
    EXPECT_EQ(measures.moves[3]->from, 3);
    EXPECT_EQ(measures.moves[3]->to, 1);
    EXPECT_EQ(measures.moves[6]->from, 0);
    EXPECT_EQ(measures.moves[6]->to, 2);
    EXPECT_EQ(measures.firstMoveMs[0], 600);
    EXPECT_EQ(measures.firstMoveMs[1], 300);
}

struct PairCase {
    const char* name;
    std::optional<int> first;
    std::optional<int> second;
    const char* id;
};

const PairCase kPairCases[] = {
    {"SmallerInSeatOne", 3, 7, "3-7"},
    {"SmallerInSeatTwo", 7, 3, "3-7"},
    {"ByValueNotByDigits", 12, 5, "5-12"},
    {"SeatOneWithout", std::nullopt, 3, "3-none"},
    {"SeatTwoWithout", 3, std::nullopt, "3-none"},
    {"BothWithout", std::nullopt, std::nullopt, "none-none"},
};

class Pairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(Pairs, NameTheSubjectsWhicheverSeatTheyTook) {
    EXPECT_EQ(PairId(GetParam().first, GetParam().second), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(, Pairs, ::testing::ValuesIn(kPairCases), quib::testing::CaseName());

}  // namespace
}  // namespace quib::exporter
