// The round end: the judgement, the result the players are shown, the
// round's bookkeeping, and what the space bar and the start toggle do while
// the result is shown. Driven through GameStep with a hand-filled key table.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/key_codes.h"
#include "server/game/status_colours.h"
#include "server/game/stimulus.h"
#include "server/records/subject_format.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::CaseName;
using quib::testing::GameFixture;

const std::string kWaitForPartner = "Bitte auf Mitspieler warten.";
const std::string kPleaseWait = "Bitte warten ...";
const std::string kContinue = "Mit Leertaste neues Spiel starten ...";

constexpr Colour kRed = kColourTable[0];
constexpr Colour kYellow = kColourTable[1];
constexpr Colour kBlue = kColourTable[3];
constexpr std::int32_t kCircle = 0;
constexpr std::int32_t kSquare = 2;

float Centre(int coordinate) {
    return coordinate == 0 ? 0.25f : 0.75f;
}

class RoundEndTest : public GameFixture {
  protected:
    void SetUp() override {
        GameFixture::SetUp();
        state.settings.startToggleDown = true;
    }

    void Step() { engine->GameStep(now); }

    void StandOn(int s, int cell) {
        SeatRecord& r = seat(s);
        r.cellX = cell % 2;
        r.cellY = cell / 2;
        r.targetX = r.shownX = Centre(r.cellX);
        r.targetY = r.shownY = Centre(r.cellY);
    }

    // Both players have let go of the space bar that started the round and
    // now end it together, where their figures stand.
    void EndRunningRound() {
        state.gameState = server::Running;
        for (SeatRecord& s : engine->game().seats) {
            s.readyState = 0;
        }
        Report(0, {kKeySpace});
        Report(1, {kKeySpace});
        Step();
        ASSERT_EQ(state.gameState, RoundOver);
    }

    // From the set-up to the round end, `durationMs` later: both start (or
    // are still ready from continuing), let go of the space bar and end the
    // round on the cells the set-up put them on. With every draw 0 all cells
    // hold the same stimulus; `lose` changes the one under seat 1's figure.
    void PlayRound(std::uint32_t durationMs, bool lose) {
        ASSERT_EQ(state.gameState, server::SetUp);
        Step();
        Report(0, {kKeySpace});
        Report(1, {kKeySpace});
        Step();
        ASSERT_EQ(state.gameState, server::Running);
        Report(0, {});
        Report(1, {});
        Step();
        if (lose) {
            seat(1).colourA[static_cast<std::size_t>(CellIndex(seat(1)))] = kYellow;
        }
        now += durationMs;
        Report(0, {kKeySpace});
        Report(1, {kKeySpace});
        Step();
        ASSERT_EQ(state.gameState, RoundOver);
    }

    // Both let go of the space bar and press it again for the next round.
    void Continue() {
        Report(0, {});
        Report(1, {});
        Step();
        Report(0, {kKeySpace});
        Report(1, {kKeySpace});
        Step();
        ASSERT_EQ(state.gameState, server::SetUp);
    }

    bool LogHas(const std::vector<std::string>& lines, const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
};

// One figure per side of a cell, as the judgement compares them.
struct Figure {
    Colour colour;
    std::int32_t shape;
};

// A figure's cell and the stimulus in it.
struct Occupied {
    int cell;
    Figure a, b;
    std::int32_t contact;
};

struct JudgementCase {
    const char* name;
    Occupied seat0, seat1;
    bool won;
};

const Figure kNothing = {0, 0};

// clang-format off
const JudgementCase kJudgementCases[] = {
    {"DifferentCellsSameStimulus",
     {0, {kRed, kCircle}, kNothing, 0}, {3, {kRed, kCircle}, kNothing, 0}, true},
    {"SwappedFiguresEqualContact",
     {1, {kRed, kCircle}, {kBlue, kSquare}, 1}, {2, {kBlue, kSquare}, {kRed, kCircle}, 1}, true},
    {"SameFiguresDifferentContact",
     {1, {kRed, kCircle}, {kBlue, kSquare}, 1}, {1, {kRed, kCircle}, {kBlue, kSquare}, 0}, false},
};
// clang-format on

void PrintTo(const JudgementCase& c, std::ostream* out) {
    *out << c.name;
}

class RoundJudgement : public RoundEndTest, public ::testing::WithParamInterface<JudgementCase> {
  protected:
    static void Fill(SeatRecord& r, int cell, const Occupied& stimulus) {
        const auto q = static_cast<std::size_t>(cell);
        r.colourA[q] = stimulus.a.colour;
        r.shapeA[q] = stimulus.a.shape;
        r.colourB[q] = stimulus.b.colour;
        r.shapeB[q] = stimulus.b.shape;
        r.contact[q] = stimulus.contact;
    }
};

// Every cell not under a figure holds the stimulus under the partner's
// figure, so a judgement that looked anywhere but at the two occupied cells
// would call every round won.
TEST_P(RoundJudgement, ComparesOnlyTheTwoOccupiedCells) {
    const JudgementCase& c = GetParam();
    state.settings.startToggleDown = false;
    for (int q = 0; q < kCells; ++q) {
        Fill(seat(0), q, c.seat1);
        Fill(seat(1), q, c.seat0);
    }
    Fill(seat(0), c.seat0.cell, c.seat0);
    Fill(seat(1), c.seat1.cell, c.seat1);
    engine->game().BeginRoundRecord(now);
    StandOn(0, c.seat0.cell);
    StandOn(1, c.seat1.cell);

    EndRunningRound();

    const std::string result = c.won ? "Gewonnen!" : "Verloren!";
    EXPECT_EQ(engine->game().roundRecord.won, c.won ? 1 : 0);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.statusText, result + " " + kPleaseWait);
        EXPECT_EQ(s.statusColour, c.won ? Rgb(200, 255, 200) : Rgb(255, 200, 200));
    }
    EXPECT_TRUE(LogHas(TakeLogTexts(), "Runde beendet ... " + result));
}

INSTANTIATE_TEST_SUITE_P(, RoundJudgement, ::testing::ValuesIn(kJudgementCases), CaseName());

// The draws of one cell of each seat's board at a level, for the two range
// queues the set-up draws from: 0..3 (colours and shapes) and 0..1 (contact).
struct LevelCase {
    const char* name;
    std::int32_t level;
    std::vector<int> seat0Draws;
    std::vector<int> seat1Draws;
    std::vector<int> contactDraws;  // seat 0's, then seat 1's, one per cell
    bool won;
};

std::vector<int> Repeat(const std::vector<int>& cell, int times) {
    std::vector<int> all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), cell.begin(), cell.end());
    }
    return all;
}

// The boards differ in every draw the level throws away (colours from level
// 4, shapes at level 5, figure B and contact at level 4), and agree in the
// ones it shows, unless the case is lost: then one shown draw differs.
const LevelCase kLevelCases[] = {
    {"Level1", 1, {2}, {2}, {}, true},
    {"Level1OtherColour", 1, {2}, {3}, {}, false},
    {"Level2", 2, {1, 3}, {1, 3}, {}, true},
    {"Level2OtherShape", 2, {1, 3}, {1, 2}, {}, false},
    {"Level3", 3, {0, 1, 2, 3}, {0, 1, 2, 3}, {1, 1, 1, 1, 1, 1, 1, 1}, true},
    {"Level3OtherContact", 3, {0, 1, 2, 3}, {0, 1, 2, 3}, {1, 1, 1, 1, 0, 0, 0, 0}, false},
    {"Level4ColoursFigureBAndContactUnused",
     4,
     {0, 1, 2, 3},
     {3, 1, 0, 2},
     {1, 1, 1, 1, 0, 0, 0, 0},
     true},
    {"Level4OtherShape", 4, {0, 1, 2, 3}, {0, 2, 2, 3}, {}, false},
    {"Level5ColoursAndShapesUnused", 5, {0, 1, 2, 3}, {3, 2, 1, 0}, {1, 1, 1, 1, 1, 1, 1, 1}, true},
    {"Level5OtherContact", 5, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 0, 0, 0, 1, 1, 1, 1}, false},
    {"Level6ColoursUnused", 6, {0, 1, 2, 3}, {3, 1, 0, 3}, {0, 0, 0, 0, 0, 0, 0, 0}, true},
    {"Level6OtherFigureB", 6, {0, 1, 2, 3}, {0, 1, 2, 2}, {}, false},
};

void PrintTo(const LevelCase& c, std::ostream* out) {
    *out << c.name;
}

class LevelJudgement : public RoundEndTest, public ::testing::WithParamInterface<LevelCase> {};

// Set up by the round set-up itself, so the fields a level leaves unused
// hold whatever the set-up puts there. The shared stimulus lies in seat 1's
// cell 0; the figures stand on seat 0's cell 0 and seat 1's cell 3.
TEST_P(LevelJudgement, OnlyTheFieldsTheLevelShowsDecide) {
    const LevelCase& c = GetParam();
    state.settings.level = c.level;
    std::vector<int> draws = Repeat(c.seat0Draws, kCells);
    const std::vector<int> seat1 = Repeat(c.seat1Draws, kCells);
    draws.insert(draws.end(), seat1.begin(), seat1.end());
    draws.insert(draws.end(), {0, 0});  // the shared stimulus: seat 0's A into seat 1's a
    random->Queue(3, draws);
    random->Queue(1, c.contactDraws);
    state.gameState = server::SetUp;
    Step();
    ASSERT_EQ(state.gameState, WaitStart);
    StandOn(0, 0);
    StandOn(1, 3);
    now += 2000;

    EndRunningRound();

    EXPECT_EQ(engine->game().roundRecord.won, c.won ? 1 : 0);
    // Levels 1 to 3 have a statistics row of their own; the others count in
    // the total alone.
    const ServerStatistics& statistics = engine->game().statistics;
    for (std::int32_t level = 1; level <= 3; ++level) {
        const StatisticsRow& row = statistics.levelRow[static_cast<std::size_t>(level)];
        const bool own = level == c.level;
        EXPECT_EQ(row.rounds, own ? 1 : 0) << "level row " << level;
        EXPECT_EQ(row.ms, own ? 2000 : 0) << "level row " << level;
        EXPECT_EQ(row.points, own && c.won ? 1 : 0) << "level row " << level;
    }
    EXPECT_EQ(statistics.totalRow.rounds, 1);
    EXPECT_EQ(statistics.totalRow.points, c.won ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(, LevelJudgement, ::testing::ValuesIn(kLevelCases), CaseName());

TEST_F(RoundEndTest, ThreeWonRoundsAndALostOne) {
    state.settings.level = 2;
    state.gameState = server::SetUp;
    const std::uint32_t durations[] = {4000, 6000, 5000, 7000};

    for (int round = 0; round < 3; ++round) {
        PlayRound(durations[round], false);
        EXPECT_EQ(seat(0).statusText, "Gewonnen! " + kContinue);
        EXPECT_EQ(seat(1).statusText, seat(0).statusText);
        Continue();
    }
    EXPECT_EQ(seat(0).scoreText, "Punkte in Serie: 3 Highscore: 3");
    EXPECT_EQ(engine->game().statistics.lastRow.rounds, 3);  // the running series after it
    PlayRound(durations[3], true);

    EXPECT_EQ(seat(0).statusText, "Verloren! " + kContinue);
    EXPECT_EQ(seat(1).statusText, seat(0).statusText);
    EXPECT_EQ(seat(0).statusColour, Rgb(255, 200, 200));
    const GameRecord& game = engine->game().gameRecord;
    EXPECT_EQ(game.rounds, 4);
    EXPECT_EQ(game.points, 3);
    EXPECT_EQ(game.best, 3);
    EXPECT_EQ(game.streak, 0);
    EXPECT_EQ(game.prevWon, 0);
    EXPECT_EQ(game.activeMs, 22000);
    const ServerStatistics& statistics = engine->game().statistics;
    EXPECT_EQ(statistics.currentSeries, 0);
    EXPECT_EQ(statistics.bestSeries, 3);
    EXPECT_EQ(statistics.runningSeries, 0);
    EXPECT_EQ(statistics.currentRow.points, 3);
    EXPECT_EQ(statistics.currentRow.rounds, 4);
    EXPECT_EQ(statistics.lastRow.ms, 7000);
    EXPECT_EQ(statistics.lastRow.points, 0);  // the result
    EXPECT_EQ(statistics.lastRow.rounds, 0);  // the running series after it
    EXPECT_EQ(statistics.totalRow.ms, 22000);
    EXPECT_EQ(statistics.totalRow.points, 3);
    EXPECT_EQ(statistics.totalRow.rounds, 4);
    EXPECT_EQ(statistics.levelRow[2].ms, 22000);
    EXPECT_EQ(statistics.levelRow[2].points, 3);
    EXPECT_EQ(statistics.levelRow[2].rounds, 4);
    EXPECT_EQ(statistics.levelRow[1].rounds, 0);
    EXPECT_EQ(statistics.levelRow[3].rounds, 0);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.scoreText, "Punkte in Serie: 0 Highscore: 3");
    }
    EXPECT_EQ(state.refreshStatistics, 1);
    for (const char* file : {"r000000.csv", "r000001.csv", "r000002.csv", "r000003.csv"}) {
        EXPECT_TRUE(std::filesystem::exists(logDir() / file)) << file;
    }
}

// The players' series runs across games and the best of it is kept; the game
// record's best is the game's own.
TEST_F(RoundEndTest, SeriesCarryOverFromEarlierGames) {
    engine->game().statistics.currentSeries = 4;
    engine->game().statistics.bestSeries = 6;
    state.gameState = server::SetUp;

    PlayRound(1000, false);
    EXPECT_EQ(engine->game().gameRecord.best, 1);
    EXPECT_EQ(seat(1).scoreText, "Punkte in Serie: 5 Highscore: 6");
    Continue();
    PlayRound(1000, false);
    EXPECT_EQ(seat(1).scoreText, "Punkte in Serie: 6 Highscore: 6");
    Continue();
    PlayRound(1000, false);
    EXPECT_EQ(seat(0).scoreText, "Punkte in Serie: 7 Highscore: 7");
    EXPECT_EQ(seat(1).scoreText, seat(0).scoreText);
    EXPECT_EQ(engine->game().gameRecord.best, 3);
}

TEST_F(RoundEndTest, ToggleReleasedDuringARoundEndsTheGameAfterIt) {
    state.gameState = server::SetUp;
    Step();
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    Step();
    ASSERT_EQ(state.gameState, server::Running);
    Report(0, {});
    Report(1, {});
    Step();
    state.settings.startToggleDown = false;
    TakeLogTexts();

    now += 3000;
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    Step();

    ASSERT_EQ(state.gameState, RoundOver);
    EXPECT_EQ(engine->game().roundRecord.won, 1);
    EXPECT_EQ(seat(0).statusText, "Gewonnen! " + kPleaseWait);
    EXPECT_EQ(seat(1).statusText, seat(0).statusText);
    EXPECT_EQ(engine->game().gameRecord.rounds, 1);
    EXPECT_EQ(engine->game().statistics.totalRow.rounds, 1);
    EXPECT_TRUE(std::filesystem::exists(logDir() / "r000000.csv"));
    const std::vector<std::string> roundEndLines = TakeLogTexts();
    EXPECT_TRUE(LogHas(roundEndLines, "Runde beendet ... Gewonnen!"));
    EXPECT_FALSE(LogHas(roundEndLines, "Spiel beendet!"));

    Step();  // the space bars are still down: they start nothing now

    EXPECT_EQ(state.gameState, Idle);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.statusText, kPleaseWait);
        EXPECT_EQ(s.statusColour, Rgb(150, 150, 255));
    }
    EXPECT_EQ(state.refreshControls, 1);
    EXPECT_EQ(TakeLogTexts(), std::vector<std::string>{"Spiel beendet!"});
    EXPECT_EQ(engine->game().gameRecord.rounds, 1);
}

// Releasing the toggle while the players look at the result, even after one
// of them asked for the next round, ends the game at the next step.
TEST_F(RoundEndTest, ToggleReleasedWhileTheResultIsShownEndsTheGame) {
    state.gameState = server::SetUp;
    PlayRound(1000, false);
    Report(0, {});
    Step();
    Report(0, {kKeySpace});
    Step();
    ASSERT_EQ(seat(0).readyState, 1);
    TakeLogTexts();

    state.settings.startToggleDown = false;
    Report(1, {});
    Step();

    EXPECT_EQ(state.gameState, Idle);
    EXPECT_EQ(seat(1).readyState, -1);  // nothing else happened in that step
    EXPECT_EQ(seat(1).statusText, kPleaseWait);
    EXPECT_EQ(TakeLogTexts(), std::vector<std::string>{"Spiel beendet!"});
}

TEST_F(RoundEndTest, FirstToContinueGetsAClearedScreenAndTheSecondStartsTheNextRound) {
    state.gameState = server::SetUp;
    PlayRound(1000, false);
    // What the screen composition has drawn of the result by now.
    for (SeatRecord& s : engine->game().seats) {
        s.ownBoardDrawn = 1;
        s.partnerBoardDrawn = 1;
        s.partnerBoardColour = Rgb(225, 225, 225);
    }
    const std::vector<std::string> eventsAtTheEnd = engine->game().roundRecord.events;
    Report(0, {});
    Step();
    Report(0, {kKeySpace});
    Step();  // seat 1 still holds the space bar that ended the round

    ASSERT_EQ(state.gameState, RoundOver);
    const SeatRecord& first = seat(0);
    EXPECT_EQ(first.readyState, 1);
    EXPECT_EQ(first.statusText, kWaitForPartner);
    EXPECT_EQ(first.statusColour, Rgb(200, 255, 200));
    EXPECT_EQ(first.level, 0);
    EXPECT_EQ(first.boardColour, 0u);
    EXPECT_EQ(first.partnerBoardColour, 0u);
    EXPECT_EQ(first.ownBoardDrawn, 0);
    EXPECT_EQ(first.partnerBoardDrawn, 0);
    EXPECT_EQ(first.ownFigureVisible, 0);
    EXPECT_EQ(first.partnerFigureVisible, 0);
    EXPECT_EQ(first.displayMode, DisplayBlank);
    const SeatRecord& second = seat(1);  // still looks at the result
    EXPECT_EQ(second.readyState, -1);
    EXPECT_EQ(second.statusText, "Gewonnen! " + kContinue);
    EXPECT_EQ(second.level, 1);
    EXPECT_EQ(second.ownBoardDrawn, 1);
    EXPECT_EQ(second.displayMode, DisplayOpen);
    EXPECT_EQ(second.ownFigureVisible, 1);
    EXPECT_EQ(engine->game().roundRecord.events, eventsAtTheEnd);

    Report(1, {});
    Step();
    EXPECT_EQ(state.gameState, RoundOver);
    Report(1, {kKeySpace});
    now += 500;
    Step();
    EXPECT_EQ(state.gameState, server::SetUp);
    for (const SeatRecord& s : engine->game().seats) {
        EXPECT_EQ(s.readyState, 1);
    }

    Report(0, {});
    Report(1, {});
    Step();
    EXPECT_EQ(state.gameState, WaitStart);
    EXPECT_EQ(engine->game().roundRecord.fileName, "r000001.csv");
    EXPECT_EQ(engine->game().roundRecord.startMs, now);
    Step();  // no further press
    EXPECT_EQ(state.gameState, server::Running);
    EXPECT_EQ(engine->game().roundRecord.events, std::vector<std::string>{"0;00:00:00;0;Start;"});
}

TEST_F(RoundEndTest, RoundWhoseFileCannotBeWrittenStillCounts) {
    state.gameState = server::SetUp;
    Step();
    ASSERT_EQ(engine->game().roundRecord.fileName, "r000000.csv");
    std::filesystem::remove_all(logDir());
    std::ofstream(logDir()) << "not a directory";
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    Step();
    Report(0, {});
    Report(1, {});
    Step();
    TakeLogTexts();

    now += 2500;
    Report(0, {kKeySpace});
    Report(1, {kKeySpace});
    Step();

    ASSERT_EQ(state.gameState, RoundOver);
    EXPECT_EQ(engine->game().roundRecord.won, 1);
    EXPECT_EQ(engine->game().gameRecord.rounds, 1);
    EXPECT_EQ(engine->game().gameRecord.points, 1);
    EXPECT_EQ(engine->game().gameRecord.streak, 1);
    EXPECT_EQ(engine->game().gameRecord.prevWon, 1);
    EXPECT_EQ(engine->game().gameRecord.activeMs, 2500);
    EXPECT_EQ(engine->game().statistics.currentSeries, 1);
    EXPECT_EQ(engine->game().statistics.totalRow.rounds, 1);
    EXPECT_EQ(engine->game().statistics.totalRow.ms, 2500);
    EXPECT_EQ(seat(0).scoreText, "Punkte in Serie: 1 Highscore: 1");
    EXPECT_EQ(TakeLogTexts(),
              (std::vector<std::string>{
                  "Runde beendet ... Gewonnen!",
                  "Fehler!!! Runde und Spiel konnte nicht gespeichert werden: r000000.csv"}));
    // The game's files are left alone for this round.
    EXPECT_FALSE(std::filesystem::exists(log2Dir() / "g000000.csv"));
    EXPECT_EQ(state.subjects[0].totalRounds, 0);
    EXPECT_EQ(state.subjects[1].totalRounds, 0);
}

// The round end opens both boards on screen, but a game played covered is a
// covered game in every file that records it.
TEST_F(RoundEndTest, CoveredGameIsRecordedCoveredWhileTheBoardsOpenAtTheEnd) {
    state.settings.display = 1;  // "verdeckt"
    for (int s = 0; s < 2; ++s) {
        const std::string file = SubjectFilePath(workDir(), s == 0 ? "000000" : "000001");
        ASSERT_EQ(WriteFileAtomically(file, NewSubjectFileText(texts, s, "P", kGameDate),
                                      WriteMode::CreateNew),
                  WriteResult::Written);
        state.subjects[s].subjectNumber = s;
        state.subjects[s].subjectFile = file;
    }
    state.gameState = server::SetUp;
    PlayRound(2000, false);

    EXPECT_EQ(seat(0).displayMode, DisplayOpen);
    EXPECT_EQ(seat(1).displayMode, DisplayOpen);
    const auto line = [](const std::filesystem::path& file, std::size_t n) {
        std::vector<std::string> lines;
        std::string text = ReadWholeFile(file).value_or("");
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            lines.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return n < lines.size() ? lines[n] : std::string("(no line)");
    };
    EXPECT_EQ(line(logDir() / "r000000.csv", 13), "Anzeige:;verdeckt;verdeckt");
    EXPECT_EQ(line(logDir() / "g000000.csv", 9), "Anzeige:;verdeckt;verdeckt");
    EXPECT_EQ(line(log2Dir() / "g000000.csv", 9), "Anzeige:;verdeckt;verdeckt");
    for (const char* subject : {"p000000.csv", "p000001.csv"}) {
        const std::string row = line(logDir() / subject, 10);
        EXPECT_EQ(row.substr(0, 12), "g000000.csv;") << subject;
        EXPECT_EQ(row.substr(row.rfind(';')), ";0") << subject << ": " << row;
    }
}

}  // namespace
}  // namespace quib::server
