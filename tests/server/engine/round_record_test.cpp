// The round record's event lines, the position log, and the text forms of
// cells, stimuli and the stimuli both boards share.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/key_codes.h"
#include "server/game/stimulus.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::CaseName;
using quib::testing::GameFixture;

constexpr Colour kRed = kColourTable[0];
constexpr Colour kYellow = kColourTable[1];
constexpr Colour kGreen = kColourTable[2];
constexpr Colour kBlue = kColourTable[3];
constexpr Colour kGrey = kColourTable[4];

struct Figure {
    Colour colour;
    std::int32_t shape;
};

void SetCell(SeatRecord& seat, int q, Figure a, Figure b, std::int32_t contact) {
    seat.colourA[q] = a.colour;
    seat.shapeA[q] = a.shape;
    seat.colourB[q] = b.colour;
    seat.shapeB[q] = b.shape;
    seat.contact[q] = contact;
}

void StandOn(SeatRecord& seat, int column, int row) {
    seat.cellX = column;
    seat.cellY = row;
}

class RoundEvents : public GameFixture {};

struct StartCase {
    const char* name;
    std::uint32_t setUpMs;
    std::uint32_t startMs;
    const char* line;
};

const StartCase kStartCases[] = {
    {"ThreeSecondsAfterSetUp", 50000, 53000, "3000;00:00:03;0;Start;"},
    {"AcrossTheTimerWrap", 4294966296U, 2000, "3000;00:00:03;0;Start;"},
    {"AtTheSetUpItself", 50000, 50000, "0;00:00:00;0;Start;"},
};

class StartLine : public GameFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartLine, CountsFromTheSetUp) {
    engine->game().BeginRoundRecord(GetParam().setUpMs);
    engine->game().LogRoundEvent(RoundStartEvent, -1, -1, GetParam().startMs);
    EXPECT_EQ(engine->game().roundRecord.events, std::vector<std::string>{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(, StartLine, ::testing::ValuesIn(kStartCases), CaseName());

struct KeyCase {
    const char* name;
    int seat;
    std::int32_t code;
    const char* line;
    bool isMove;
};

const KeyCase kKeyCases[] = {
    {"SpaceIsNoMove", 0, kKeySpace, "1250;00:00:01;1;Taste;Leertaste", false},
    {"LeftIsAMove", 1, kKeyLeft, "1250;00:00:01;2;Taste;Links", true},
    {"UpIsAMove", 0, kKeyUp, "1250;00:00:01;1;Taste;Hoch", true},
    {"RightIsAMove", 1, kKeyRight, "1250;00:00:01;2;Taste;Rechts", true},
    {"DownIsAMove", 0, kKeyDown, "1250;00:00:01;1;Taste;Runter", true},
    {"OtherKeyByItsCode", 1, 65, "1250;00:00:01;2;Taste;65", false},
};

class KeyLine : public GameFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyLine, NamesTheKeyAndCountsOnlyArrows) {
    const KeyCase& c = GetParam();
    engine->game().BeginRoundRecord(now);
    engine->game().LogRoundEvent(KeyEvent, c.code, c.seat, now + 1250);
    EXPECT_EQ(engine->game().roundRecord.events, std::vector<std::string>{c.line});
    EXPECT_EQ(engine->game().roundRecord.moves[c.seat], c.isMove ? 1 : 0);
    EXPECT_EQ(engine->game().roundRecord.moves[1 - c.seat], 0);
    EXPECT_TRUE(engine->game().positionLogText.empty());
    EXPECT_EQ(engine->game().positionLogCount, 0);
}

INSTANTIATE_TEST_SUITE_P(, KeyLine, ::testing::ValuesIn(kKeyCases), CaseName());

TEST_F(RoundEvents, ArrivalNamesTheCellOfThatSeat) {
    engine->game().BeginRoundRecord(now);
    engine->game().LogRoundEvent(PositionEvent, 1, 1, now + 2500);
    engine->game().LogRoundEvent(PositionEvent, 3, 0, now + 4000);
    EXPECT_EQ(
        engine->game().roundRecord.events,
        (std::vector<std::string>{"2500;00:00:02;2;Position;b", "4000;00:00:04;1;Position;D"}));
    EXPECT_EQ(engine->game().roundRecord.moves[0], 0);
    EXPECT_EQ(engine->game().positionLogCount, 2);
}

// A kind nobody defined, or a seat that does not exist, must neither write a
// line nor count into another seat's moves.
TEST_F(RoundEvents, UnknownKindsAndSeatsRecordNothing) {
    engine->game().BeginRoundRecord(now);
    engine->game().LogRoundEvent(static_cast<RoundEventKind>(0), kKeyLeft, 0, now);
    engine->game().LogRoundEvent(static_cast<RoundEventKind>(4), kKeyLeft, 0, now);
    engine->game().LogRoundEvent(KeyEvent, kKeyLeft, -1, now);
    engine->game().LogRoundEvent(KeyEvent, kKeyLeft, 2, now);
    engine->game().LogRoundEvent(PositionEvent, 1, 2, now);
    EXPECT_TRUE(engine->game().roundRecord.events.empty());
    EXPECT_EQ(engine->game().roundRecord.moves[0], 0);
    EXPECT_EQ(engine->game().roundRecord.moves[1], 0);
    EXPECT_TRUE(engine->game().positionLogText.empty());
    EXPECT_EQ(engine->game().positionLogCount, 0);
}

// Level 1 boards: seat 0 red, yellow, green, blue; seat 1 grey, red, grey,
// blue, so red (A/b) and blue (D/d) are on both.
TEST_F(RoundEvents, PositionLogLinesDescribeGameRoundBoardsAndFigures) {
    const Colour first[] = {kRed, kYellow, kGreen, kBlue};
    const Colour second[] = {kGrey, kRed, kGrey, kBlue};
    for (int q = 0; q < kCells; ++q) {
        seat(0).level = 1;
        seat(1).level = 1;
        SetCell(seat(0), q, {first[q], 0}, {0, 0}, 0);
        SetCell(seat(1), q, {second[q], 0}, {0, 0}, 0);
    }
    StandOn(seat(0), 1, 0);
    StandOn(seat(1), 1, 1);
    engine->game().gameRecord.rounds = 2;
    engine->game().gameRecord.prevWon = 1;
    engine->game().gameRecord.streak = 2;
    engine->game().BeginRoundRecord(now + 62000);  // the game began at `now`

    engine->game().LogRoundEvent(RoundStartEvent, -1, -1, now + 65000);
    engine->game().LogRoundEvent(KeyEvent, kKeyDown, 0, now + 66000);
    engine->game().LogRoundEvent(PositionEvent, 3, 1, now + 67500);

    EXPECT_EQ(engine->game().positionLogText,
              "0;00:01:05;00:00:03;3;1;2;rot;gelb;gr\xFCn;blau;nix;rot;nix;blau;B;d;Ab,Dd\n"
              "1;00:01:07;00:00:05;3;1;2;rot;gelb;gr\xFCn;blau;nix;rot;nix;blau;B;d;\n");
    EXPECT_EQ(engine->game().positionLogCount, 2);
    EXPECT_EQ(std::count(engine->game().positionLogText.begin(),
                         engine->game().positionLogText.end(), ';'),
              2 * 16);
}

// A new game starts its own position log; the count numbers a game's lines.
TEST_F(RoundEvents, BeginGameRecordEmptiesThePositionLog) {
    engine->game().BeginRoundRecord(now);
    engine->game().LogRoundEvent(RoundStartEvent, -1, -1, now);
    ASSERT_EQ(engine->game().positionLogCount, 1);
    engine->game().BeginGameRecord(now, kGameDate);
    EXPECT_TRUE(engine->game().positionLogText.empty());
    EXPECT_EQ(engine->game().positionLogCount, 0);
}

struct LetterCase {
    const char* name;
    int seat;
    int cell;
    const char* letter;
};

const LetterCase kLetterCases[] = {
    {"FirstSeatTopLeft", 0, 0, "A"},        {"FirstSeatBottomRight", 0, 3, "D"},
    {"SecondSeatTopRight", 1, 1, "b"},      {"SecondSeatBottomLeft", 1, 2, "c"},
    {"PastTheBoard", 0, 4, "unbekannt(4)"}, {"BeforeTheBoard", 1, -1, "unbekannt(-1)"},
};

class CellLetters : public ::testing::TestWithParam<LetterCase> {};

TEST_P(CellLetters, NameTheCell) {
    const ServerTexts texts;
    EXPECT_EQ(CellLetter(texts, GetParam().seat, GetParam().cell), GetParam().letter);
}

INSTANTIATE_TEST_SUITE_P(, CellLetters, ::testing::ValuesIn(kLetterCases), CaseName());

struct DescribeCase {
    const char* name;
    std::int32_t level;
    Figure a;
    Figure b;
    std::int32_t contact;
    const char* text;
};

const DescribeCase kDescribeCases[] = {
    {"PromptLevelColourOnly", 0, {kRed, 0}, {0, 0}, 0, "rot"},
    {"Level1ColourOnly", 1, {kYellow, 0}, {0, 0}, 0, "gelb"},
    {"Level2ColourAndShape", 2, {kRed, 0}, {0, 0}, 0, "rot K"},
    {"Level3BothFiguresApart", 3, {kRed, 0}, {kBlue, 2}, 0, "rot K N blau Q"},
    {"Level3BothFiguresTouching", 3, {kGreen, 1}, {kYellow, 3}, 1, "gr\xFCn D K gelb P"},
    {"Level4ShapeWithLeadingBlank", 4, {kGrey, 0}, {kGrey, 0}, 0, " K"},
    {"Level5ContactAndSecondShape", 5, {kGrey, 0}, {kGrey, 0}, 0, " K NK"},
    {"Level6ShapesAndContact", 6, {kGrey, 1}, {kGrey, 2}, 1, " D KQ"},
    {"ColourOutsideTheTable", 1, {Rgb(1, 2, 3), 0}, {0, 0}, 0, "RGB(1,2,3)"},
};

class Describe : public ::testing::TestWithParam<DescribeCase> {};

TEST_P(Describe, WritesWhatTheLevelShows) {
    const DescribeCase& c = GetParam();
    const ServerTexts texts;
    SeatRecord seat;
    seat.level = c.level;
    SetCell(seat, 2, c.a, c.b, c.contact);
    EXPECT_EQ(DescribeStimulus(texts, seat, 2), c.text);
}

INSTANTIATE_TEST_SUITE_P(, Describe, ::testing::ValuesIn(kDescribeCases), CaseName());

struct SameCase {
    const char* name;
    Figure firstA, firstB;
    std::int32_t firstContact;
    Figure secondA, secondB;
    std::int32_t secondContact;
    bool same;
};

const SameCase kSameCases[] = {
    {"EqualFigures", {kRed, 0}, {kBlue, 2}, 0, {kRed, 0}, {kBlue, 2}, 0, true},
    {"SwappedFigures", {kRed, 0}, {kBlue, 2}, 1, {kBlue, 2}, {kRed, 0}, 1, true},
    {"SwappedFiguresOtherContact", {kRed, 0}, {kBlue, 2}, 0, {kBlue, 2}, {kRed, 0}, 1, false},
    {"EqualFiguresOtherContact", {kRed, 0}, {kBlue, 2}, 1, {kRed, 0}, {kBlue, 2}, 0, false},
    {"SameColourOtherShape", {kRed, 0}, {0, 0}, 0, {kRed, 1}, {0, 0}, 0, false},
    {"SameShapeOtherColour", {kRed, 3}, {0, 0}, 0, {kGreen, 3}, {0, 0}, 0, false},
    {"ColoursAndShapesOfDifferentFigures",
     {kRed, 0},
     {kBlue, 2},
     0,
     {kRed, 2},
     {kBlue, 0},
     0,
     false},
    {"OneFigureOfTheTwoMatches", {kRed, 0}, {kBlue, 2}, 0, {kRed, 0}, {kRed, 0}, 0, false},
};

class Judgement : public ::testing::TestWithParam<SameCase> {};

TEST_P(Judgement, ComparesBothFiguresAndTheContact) {
    const SameCase& c = GetParam();
    SeatRecord first;
    SeatRecord second;
    SetCell(first, 1, c.firstA, c.firstB, c.firstContact);
    SetCell(second, 3, c.secondA, c.secondB, c.secondContact);
    EXPECT_EQ(SameStimulus(first, 1, second, 3), c.same);
    EXPECT_EQ(SameStimulus(second, 3, first, 1), c.same);
}

INSTANTIATE_TEST_SUITE_P(, Judgement, ::testing::ValuesIn(kSameCases), CaseName());

// Level 3 boards on which no cell of one board equals a cell of the other:
// seat 0's figures are circles and triangles, seat 1's squares and
// pentagons.
class Boards : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int q = 0; q < kCells; ++q) {
            seats[0].level = 3;
            seats[1].level = 3;
            SetCell(seats[0], q, {kColourTable[q], 0}, {kColourTable[q], 1}, 0);
            SetCell(seats[1], q, {kColourTable[q], 2}, {kColourTable[q], 3}, 0);
        }
    }

    ServerTexts texts;
    std::array<SeatRecord, kSeats> seats;
};

TEST_F(Boards, MatchListNamesEveryCommonPairInSeat0Order) {
    SetCell(seats[0], 0, {kRed, 0}, {kBlue, 2}, 0);
    SetCell(seats[1], 1, {kRed, 0}, {kBlue, 2}, 0);
    SetCell(seats[0], 1, {kGreen, 1}, {kYellow, 3}, 1);
    SetCell(seats[1], 0, {kYellow, 3}, {kGreen, 1}, 1);  // swapped figures
    SetCell(seats[0], 2, {kGreen, 3}, {kGreen, 3}, 1);
    SetCell(seats[1], 3, {kGreen, 3}, {kGreen, 3}, 1);
    SetCell(seats[1], 2, {kGreen, 3}, {kGreen, 3}, 0);  // contact differs: no match
    EXPECT_EQ(MatchList(texts, seats), "Ab,Ba,Cd");
}

TEST_F(Boards, MatchListOfBoardsWithoutCommonStimulusIsEmpty) {
    EXPECT_EQ(MatchList(texts, seats), "");
}

TEST_F(Boards, RoundIsJudgedOnTheOccupiedCellsWhereverTheyAre) {
    SetCell(seats[0], 0, {kRed, 0}, {0, 0}, 0);
    SetCell(seats[1], 3, {kRed, 0}, {0, 0}, 0);
    StandOn(seats[0], 0, 0);
    StandOn(seats[1], 1, 1);
    EXPECT_TRUE(FiguresOnSameStimulus(seats));
    StandOn(seats[1], 0, 1);
    EXPECT_FALSE(FiguresOnSameStimulus(seats));
}

}  // namespace
}  // namespace quib::server
