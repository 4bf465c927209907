// The round set-up: what each level draws, the stimulus both boards share,
// the start cells, the figure pictures, the partner view, and the state the
// round is left in.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "server/game/status_colours.h"
#include "server/game/stimulus.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::CaseName;
using quib::testing::GameFixture;

const std::set<Colour> kFourColours = {kColourTable[0], kColourTable[1], kColourTable[2],
                                       kColourTable[3]};
const std::set<Colour> kGrey = {Rgb(175, 175, 175)};
const std::set<Colour> kNoColour = {0};
const std::set<int> kAllShapes = {0, 1, 2, 3};
const std::set<int> kZero = {0};
const std::set<int> kApartAndTouching = {0, 1};

// What a level lets vary: the values seen over many set-ups in every cell of
// both boards.
struct LevelCase {
    const char* name;
    std::int32_t level;
    std::set<Colour> colourA;
    std::set<Colour> colourB;
    std::set<int> shapeA;
    std::set<int> shapeB;
    std::set<int> contact;
};

const LevelCase kLevelCases[] = {
    {"PromptLevelDrawsColoursOnly", 0, kFourColours, kNoColour, kZero, kZero, kZero},
    {"Level1VariesOnlyColourA", 1, kFourColours, kNoColour, kZero, kZero, kZero},
    {"Level2AddsOneColouredShape", 2, kFourColours, kNoColour, kAllShapes, kZero, kZero},
    {"Level3VariesBothFiguresAndContact", 3, kFourColours, kFourColours, kAllShapes, kAllShapes,
     kApartAndTouching},
    {"Level4GreyShapeWithoutContact", 4, kGrey, kGrey, kAllShapes, kZero, kZero},
    {"Level5GreyCirclesWithContact", 5, kGrey, kGrey, kZero, kZero, kApartAndTouching},
    {"Level6GreyShapesWithContact", 6, kGrey, kGrey, kAllShapes, kAllShapes, kApartAndTouching},
};

class SetUpRoundLevels : public GameFixture, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(SetUpRoundLevels, DrawsOnlyWhatTheLevelShows) {
    const LevelCase& c = GetParam();
    engine->game().randomSource = std::make_unique<TimerSeededRandom>();
    state.settings.level = c.level;
    LevelCase seen{};
    for (std::uint32_t round = 0; round < 40; ++round) {
        engine->game().SetUpRound(now + round * 7919);
        for (const SeatRecord& s : engine->game().seats) {
            EXPECT_EQ(s.level, c.level);
            EXPECT_EQ(s.boardColour, Rgb(225, 225, 225));
            for (int q = 0; q < kCells; ++q) {
                seen.colourA.insert(s.colourA[q]);
                seen.colourB.insert(s.colourB[q]);
                seen.shapeA.insert(s.shapeA[q]);
                seen.shapeB.insert(s.shapeB[q]);
                seen.contact.insert(s.contact[q]);
            }
        }
    }
    EXPECT_EQ(seen.colourA, c.colourA);
    EXPECT_EQ(seen.colourB, c.colourB);
    EXPECT_EQ(seen.shapeA, c.shapeA);
    EXPECT_EQ(seen.shapeB, c.shapeB);
    EXPECT_EQ(seen.contact, c.contact);
}

INSTANTIATE_TEST_SUITE_P(, SetUpRoundLevels, ::testing::ValuesIn(kLevelCases), CaseName());

struct SharedCase {
    const char* name;
    int a;  // the cell of seat 0's board ...
    int b;  // ... copied into this cell of seat 1's
};

const SharedCase kSharedCases[] = {
    {"ThirdCellIntoSecond", 2, 1},
    {"LastCellIntoFirst", 3, 0},
    {"FirstCellIntoFirst", 0, 0},
};

class SharedStimulus : public GameFixture, public ::testing::WithParamInterface<SharedCase> {};

// Level 3 boards scripted so that every cell differs: seat 0's cell q holds
// colour q and shape q twice, seat 1's other colours and shapes.
TEST_P(SharedStimulus, CopiesAllFiveFieldsOfOneCellOnly) {
    const SharedCase& c = GetParam();
    state.settings.level = 3;
    for (int q = 0; q < kCells; ++q) {
        random->Queue(3, {q, q, q, q});
        random->Queue(1, {q % 2});
    }
    for (int q = 0; q < kCells; ++q) {
        random->Queue(3, {(q + 1) % 4, (q + 2) % 4, (q + 3) % 4, q});
        random->Queue(1, {1});
    }
    random->Queue(3, {c.a, c.b});

    engine->game().SetUpRound(now);

    const SeatRecord& first = seat(0);
    const SeatRecord& second = seat(1);
    EXPECT_EQ(first.colourA[c.a], kColourTable[c.a]);
    EXPECT_EQ(second.colourA[c.b], kColourTable[c.a]);
    EXPECT_EQ(second.colourB[c.b], kColourTable[c.a]);
    EXPECT_EQ(second.shapeA[c.b], c.a);
    EXPECT_EQ(second.shapeB[c.b], c.a);
    EXPECT_EQ(second.contact[c.b], c.a % 2);
    for (int q = 0; q < kCells; ++q) {
        if (q == c.b) {
            continue;
        }
        EXPECT_EQ(second.colourA[q], kColourTable[(q + 1) % 4]) << q;
        EXPECT_EQ(second.shapeA[q], (q + 2) % 4) << q;
        EXPECT_EQ(second.colourB[q], kColourTable[(q + 3) % 4]) << q;
        EXPECT_EQ(second.shapeB[q], q) << q;
        EXPECT_EQ(second.contact[q], 1) << q;
    }
    EXPECT_EQ(MatchList(texts, engine->game().seats),
              CellLetter(texts, 0, c.a) + CellLetter(texts, 1, c.b));
}

INSTANTIATE_TEST_SUITE_P(, SharedStimulus, ::testing::ValuesIn(kSharedCases), CaseName());

struct Cell {
    int x;
    int y;
};

float Centre(int column) {
    return column == 0 ? 0.25f : 0.75f;
}

struct StartCase {
    const char* name;
    int start0;  // entry of player 1's start list
    int start1;  // entry of player 2's start list
    Cell previous0;
    Cell previous1;
    std::vector<int> coinFlips;  // Random(1): x, then y of each random start
    Cell expected0;
    Cell expected1;
};

const StartCase kStartCases[] = {
    {"Player1PromptKeepsTheLastPosition", 0, 1, {1, 1}, {0, 0}, {}, {1, 1}, {1, 1}},
    {"RandomCellsAreDrawnPerPlayer", 1, 2, {0, 0}, {0, 0}, {1, 0, 0, 1}, {1, 0}, {0, 1}},
    {"SameCopiesPlayer1sNewStart", 5, 1, {0, 0}, {0, 1}, {}, {1, 1}, {1, 1}},
    {"SameCopiesPlayer1sRandomStart", 1, 1, {0, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 1}},
    {"TopLeft", 2, 3, {1, 1}, {1, 1}, {}, {0, 0}, {0, 0}},
    {"TopRight", 3, 4, {0, 1}, {0, 1}, {}, {1, 0}, {1, 0}},
    {"BottomLeft", 4, 5, {1, 0}, {1, 0}, {}, {0, 1}, {0, 1}},
    {"BottomRight", 5, 6, {0, 0}, {0, 0}, {}, {1, 1}, {1, 1}},
    {"Player2PromptKeepsItsOwnPosition", 2, 0, {1, 1}, {1, 0}, {}, {0, 0}, {1, 0}},
};

class StartChoices : public GameFixture, public ::testing::WithParamInterface<StartCase> {
  protected:
    void StandOn(int s, Cell cell) {
        seat(s).targetX = Centre(cell.x);
        seat(s).targetY = Centre(cell.y);
        seat(s).shownX = 0.5f;  // as if still travelling
        seat(s).shownY = 0.5f;
        seat(s).sentX = 0.5f;
        seat(s).sentY = 0.5f;
    }

    void ExpectStart(int s, Cell cell) {
        const SeatRecord& r = seat(s);
        EXPECT_EQ(r.targetX, Centre(cell.x)) << s;
        EXPECT_EQ(r.targetY, Centre(cell.y)) << s;
        EXPECT_EQ(r.shownX, r.targetX) << s;
        EXPECT_EQ(r.shownY, r.targetY) << s;
        EXPECT_EQ(r.cellX, cell.x) << s;
        EXPECT_EQ(r.cellY, cell.y) << s;
        EXPECT_EQ(r.startCellX, cell.x) << s;
        EXPECT_EQ(r.startCellY, cell.y) << s;
        EXPECT_EQ(r.sentX, 0.0f) << s;
        EXPECT_EQ(r.sentY, 0.0f) << s;
    }
};

TEST_P(StartChoices, PlaceTheFigures) {
    const StartCase& c = GetParam();
    state.settings.start = {c.start0, c.start1};
    StandOn(0, c.previous0);
    StandOn(1, c.previous1);
    random->Queue(1, c.coinFlips);

    engine->game().SetUpRound(now);

    ExpectStart(0, c.expected0);
    ExpectStart(1, c.expected1);
}

INSTANTIATE_TEST_SUITE_P(, StartChoices, ::testing::ValuesIn(kStartCases), CaseName());

struct PictureCase {
    const char* name;
    int figure1;  // entry of player 2's figure list
    const char* text0;
    const char* text1;
    const char* variantFile;   // created in grafik/ unless null
    const char* variantBytes;  // its contents
    const char* picture0;
    const char* picture1;
    const char* partner0;
    const char* partner1;
};

const PictureCase kPictureCases[] = {
    {"NonEmptyVariantDrawsThePartner", 2, "ente0.png", "hund0.png", "ente1.png", "PNG", "ente0.png",
     "hund0.png", "ente1.png", "hund0.png"},
    {"MissingVariantKeepsTheOwnPicture", 2, "ente0.png", "hund0.png", nullptr, "", "ente0.png",
     "hund0.png", "ente0.png", "hund0.png"},
    {"EmptyVariantKeepsTheOwnPicture", 2, "ente0.png", "hund0.png", "ente1.png", "", "ente0.png",
     "hund0.png", "ente0.png", "hund0.png"},
    {"SameEntryGivesPlayer2Player1sPicture", 1, "ente0.png", "<- Selbe", "ente1.png", "PNG",
     "ente0.png", "ente0.png", "ente1.png", "ente1.png"},
    {"PromptEntryGivesPlayer2Player1sPicture", 0, "ente0.png", "Spieler 2", nullptr, "",
     "ente0.png", "ente0.png", "ente0.png", "ente0.png"},
    {"FiveCharacterNameHasAVariant", 2, "x.png", "hund0.png", "1.png", "PNG", "x.png", "hund0.png",
     "1.png", "hund0.png"},
    {"NameTooShortForAVariantKeepsIt", 2, "ab", "hund0.png", "1.png", "PNG", "ab", "hund0.png",
     "ab", "hund0.png"},
};

class PictureChoices : public GameFixture, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureChoices, NameTheFiguresAndTheirPartnerVariants) {
    const PictureCase& c = GetParam();
    state.settings.figure = {1, c.figure1};
    state.settings.figureText = {c.text0, c.text1};
    if (c.variantFile != nullptr) {
        quib::testing::WriteBytes(grafikDir() / c.variantFile, c.variantBytes);
    }
    seat(0).pictureSent = 1;
    seat(1).partnerPictureSent = 1;

    engine->game().SetUpRound(now);

    EXPECT_EQ(seat(0).pictureName, c.picture0);
    EXPECT_EQ(seat(1).pictureName, c.picture1);
    EXPECT_EQ(seat(0).partnerPictureName, c.partner0);
    EXPECT_EQ(seat(1).partnerPictureName, c.partner1);
    EXPECT_EQ(seat(0).pictureSent, 0);
    EXPECT_EQ(seat(1).partnerPictureSent, 0);
}

INSTANTIATE_TEST_SUITE_P(, PictureChoices, ::testing::ValuesIn(kPictureCases), CaseName());

struct DisplayCase {
    const char* name;
    int display;  // entry of the display list
    std::int32_t displayMode;
};

const DisplayCase kDisplayCases[] = {
    {"OpenShowsThePartnersBoard", 2, DisplayOpen},
    {"CoveredCoversIt", 1, DisplayCovered},
    {"PromptChoosesNothing", 0, DisplayUnchosen},
};

class DisplayChoice : public GameFixture, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayChoice, SetsBothPartnerViews) {
    state.settings.display = GetParam().display;
    engine->game().SetUpRound(now);
    EXPECT_EQ(seat(0).displayMode, GetParam().displayMode);
    EXPECT_EQ(seat(1).displayMode, GetParam().displayMode);
}

INSTANTIATE_TEST_SUITE_P(, DisplayChoice, ::testing::ValuesIn(kDisplayCases), CaseName());

class SetUpRoundTest : public GameFixture {};

TEST_F(SetUpRoundTest, LeavesBothScreensToBeRebuiltAndWaitsForTheStart) {
    quib::testing::WriteBytes(logDir() / "r000000.csv", "x");
    engine->game().roundRecord.events = {"stale line"};
    engine->game().roundRecord.moves = {4, 5};
    engine->game().roundRecord.won = 1;
    state.gameState = server::SetUp;
    for (SeatRecord& s : engine->game().seats) {
        s.readyState = 1;  // continued from the previous round
        s.ownBoardDrawn = 1;
        s.ownFigureVisible = 1;
        s.partnerBoardColour = Rgb(1, 2, 3);
        s.partnerBoardDrawn = 1;
        s.partnerFigureVisible = 1;
        s.partnerSentX = 0.5f;
        s.partnerSentY = 0.5f;
    }

    engine->game().SetUpRound(now);

    EXPECT_EQ(random->seeds, std::vector<std::uint32_t>{now});
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.statusText,
                  "Um neue Runde zu starten bitte Leertaste dr\xFC"
                  "cken.");
        EXPECT_EQ(s.statusColour, Rgb(255, 200, 200));
        EXPECT_EQ(s.readyState, 1);
        EXPECT_EQ(s.ownBoardDrawn, 0);
        EXPECT_EQ(s.ownFigureVisible, 0);
        EXPECT_EQ(s.partnerBoardColour, 0U);
        EXPECT_EQ(s.partnerBoardDrawn, 0);
        EXPECT_EQ(s.partnerFigureVisible, 0);
        EXPECT_EQ(s.partnerSentX, 0.0f);
        EXPECT_EQ(s.partnerSentY, 0.0f);
    }
    EXPECT_EQ(state.gameState, WaitStart);
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000001.csv");
    EXPECT_EQ(engine->game().roundRecord.startMs, now);
    EXPECT_EQ(engine->game().roundStartMs, now);
    EXPECT_EQ(engine->game().roundRecord.won, -1);
    EXPECT_EQ(engine->game().roundRecord.moves[0], 0);
    EXPECT_EQ(engine->game().roundRecord.moves[1], 0);
    EXPECT_TRUE(engine->game().roundRecord.events.empty());
    EXPECT_EQ(TakeLogTexts(),
              std::vector<std::string>{"Spiel initialisiert ... warte auf Spieler."});
}

TEST_F(SetUpRoundTest, RoundFileTakesTheFirstFreeNumber) {
    quib::testing::WriteBytes(logDir() / "r000000.csv", "x");
    quib::testing::WriteBytes(logDir() / "r000001.csv", "x");
    engine->game().BeginRoundRecord(now);
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000002.csv");

    std::filesystem::remove(logDir() / "r000000.csv");
    engine->game().BeginRoundRecord(now);
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000000.csv");
}

}  // namespace
}  // namespace quib::server
