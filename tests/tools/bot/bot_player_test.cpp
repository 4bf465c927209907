// The bot's decisions: what the server shows (status line, own figure) and
// the time in, the keys of each reply out.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/key_codes.h"
#include "tests/support/case_name.h"
#include "tools/bot/bot_player.h"

namespace quib::tools {
namespace {

constexpr protocol::Colour kIdle = 0x00FF9696;      // RGB(150,150,255)
constexpr protocol::Colour kNotReady = 0x00C8C8FF;  // RGB(255,200,200)
constexpr protocol::Colour kReady = 0x00C8FFC8;     // RGB(200,255,200)
constexpr protocol::Colour kPlaying = 0x00E6E6E6;   // RGB(230,230,230)

const StatusLine kPrompt{kNotReady,
                         "Um neue Runde zu starten bitte Leertaste dr\xFC"
                         "cken."};
const StatusLine kWaitForPartner{kReady, "Bitte auf Mitspieler warten."};
const StatusLine kPlay{kPlaying,
                       "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden."};
const StatusLine kWon{kReady, "Gewonnen! Mit Leertaste neues Spiel starten ..."};
const StatusLine kGameOver{kIdle, "Bitte warten ..."};

constexpr int kNone = 0;

// One frame: when it arrives, what it shows, and the one key (or none) the
// reply to it must hold.
struct Step {
    std::uint32_t atMs;
    std::optional<StatusLine> status;
    std::optional<protocol::Point> figure;
    int key;
    bool partnerViewCreated = false;
};

struct Case {
    std::string name;
    BotPlan plan;
    std::vector<Step> steps;
};

BotPlan Plan(std::uint32_t paceMs, std::vector<BotKey> script, int rounds = 0) {
    BotPlan plan;
    plan.paceMs = paceMs;
    plan.script = std::move(script);
    plan.randomMoves = 0;
    plan.rounds = rounds;
    return plan;
}

// The key a reply holds; -1 for more than one.
int HeldKey(const std::bitset<256>& keys) {
    if (keys.count() > 1) {
        return -1;
    }
    for (int code = 0; code < 256; ++code) {
        if (keys.test(static_cast<std::size_t>(code))) {
            return code;
        }
    }
    return kNone;
}

FrameNews News(const Step& step) {
    FrameNews news;
    news.status = step.status;
    news.ownFigure = step.figure;
    news.partnerViewCreated = step.partnerViewCreated;
    return news;
}

class BotDecisions : public ::testing::TestWithParam<Case> {};

TEST_P(BotDecisions, KeysFollowTheScreen) {
    BotPlayer bot(GetParam().plan, BotTexts{});
    for (const Step& step : GetParam().steps) {
        EXPECT_EQ(HeldKey(bot.OnFrame(News(step), step.atMs)), step.key)
            << "frame at " << step.atMs << " ms";
    }
}

const protocol::Point kTopLeft{0.15f, 0.15f};

INSTANTIATE_TEST_SUITE_P(
    Table, BotDecisions,
    ::testing::Values(
        Case{"PromptIsPressedOnceThenAgainAfterThePace",
             Plan(400, {}),
             {{0, kPrompt, {}, kKeySpace},
              {30, {}, {}, kNone},
              {60, {}, {}, kNone},
              {399, {}, {}, kNone},
              {400, {}, {}, kKeySpace},
              {430, kPlay, {}, kNone}}},
        Case{"IdleAndWaitingPressNothing",
             Plan(0, {}),
             {{0, kGameOver, {}, kNone},
              {30, {}, {}, kNone},
              {60, kWaitForPartner, {}, kNone},
              {90, {}, {}, kNone}}},
        Case{"ScriptedMovesWaitForTheFigureToArrive",
             Plan(0, {BotKey::Right, BotKey::Down}),
             {{0, kPlay, kTopLeft, kKeyRight},
              {30, {}, protocol::Point{0.17f, 0.15f}, kNone},
              {60, {}, protocol::Point{0.19f, 0.15f}, kNone},
              {90, {}, protocol::Point{0.65f, 0.15f}, kNone},
              {120, {}, {}, kKeyDown},
              {150, {}, protocol::Point{0.65f, 0.17f}, kNone},
              {180, {}, protocol::Point{0.65f, 0.65f}, kNone},
              // Redrawn where it stood because the partner's figure moved.
              {210, {}, protocol::Point{0.65f, 0.65f}, kKeySpace},
              {240, kWaitForPartner, {}, kNone},
              {270, kWon, {}, kKeySpace, true},
              {300, {}, {}, kNone}}},
        Case{"ArrowAgainstTheWallIsNotRepeated",
             Plan(0, {BotKey::Left}),
             {{0, kPlay, kTopLeft, kKeyLeft}, {30, {}, {}, kNone}, {60, {}, {}, kKeySpace}}},
        Case{"EndOfRoundIsPressedAgainWhileTheRoundRuns",
             Plan(200, {}),
             {{0, kPlay, kTopLeft, kKeySpace},
              {30, {}, {}, kNone},
              {199, {}, {}, kNone},
              {200, {}, {}, kKeySpace},
              {230, kWaitForPartner, {}, kNone},
              {500, {}, {}, kNone}}},
        Case{"ColoursTellTheGameUnderOtherTexts",
             Plan(0, {}),
             {{0, StatusLine{kNotReady, "Press space"}, {}, kKeySpace},
              {30, StatusLine{kPlaying, "Play"}, {}, kNone},
              {60, {}, {}, kKeySpace},
              {90, StatusLine{kReady, "Wait"}, {}, kNone},
              {120, {}, {}, kNone},
              {150, StatusLine{kReady, "Won! Space to go on"}, {}, kKeySpace, true}}},
        Case{"NothingMoreOnceTheRoundsArePlayed",
             Plan(0, {}, 1),
             {{0, kPlay, kTopLeft, kKeySpace},
              {30, kWon, {}, kNone, true},
              {60, {}, {}, kNone},
              {90, kPrompt, {}, kNone}}}),
    quib::testing::CaseName());

TEST(BotPlayer, ReportsEachRoundWithItsKeysAndResult) {
    BotPlayer bot(Plan(0, {BotKey::Down}), BotTexts{});
    bot.OnFrame(FrameNews{kPlay, {}, kTopLeft}, 0);  // DOWN
    bot.OnFrame(FrameNews{{}, {}, {}}, 30);          // release, at rest
    bot.OnFrame(FrameNews{{}, {}, {}}, 60);          // SPACE
    bot.OnFrame(FrameNews{kWon, {}, {}, true}, 90);  // judged
    const std::vector<RoundReport> reports = bot.TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].number, 1);
    EXPECT_EQ(reports[0].keys, (std::vector<BotKey>{BotKey::Down, BotKey::Space}));
    EXPECT_EQ(reports[0].result, kWon.text);
    EXPECT_EQ(bot.roundsPlayed(), 1);
    EXPECT_TRUE(bot.TakeReports().empty());
}

// A bot that comes back to its seat mid-round goes on with its plan, and a
// result it sees again after the reconnection is not counted twice.
TEST(BotPlayer, ReconnectionKeepsTheRoundAndItsCount) {
    BotPlayer bot(Plan(0, {BotKey::Right, BotKey::Down}), BotTexts{});
    EXPECT_EQ(HeldKey(bot.OnFrame(FrameNews{kPlay, {}, kTopLeft}, 0)), kKeyRight);
    bot.ConnectionLost();
    EXPECT_EQ(bot.phase(), BotPhase::Unknown);
    EXPECT_EQ(HeldKey(bot.OnFrame(FrameNews{{}, {}, {}}, 30)), kNone) << "no status seen yet";
    const protocol::Point topRight{0.65f, 0.15f};
    EXPECT_EQ(HeldKey(bot.OnFrame(FrameNews{kPlay, {}, topRight, true}, 60)), kKeyDown);
    bot.OnFrame(FrameNews{{}, {}, {}}, 90);
    EXPECT_EQ(HeldKey(bot.OnFrame(FrameNews{{}, {}, {}}, 120)), kKeySpace);
    bot.OnFrame(FrameNews{kWon, {}, {}, true}, 150);
    bot.ConnectionLost();
    bot.OnFrame(FrameNews{kWon, {}, {}, true}, 180);
    EXPECT_EQ(bot.roundsPlayed(), 1);
    const std::vector<RoundReport> reports = bot.TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].keys, (std::vector<BotKey>{BotKey::Right, BotKey::Down, BotKey::Space}));
}

// The result of a round the bot did not see (it was away) still counts the
// round once the next round's prompt shows.
TEST(BotPlayer, RoundWhoseResultWasMissedStillCounts) {
    BotPlayer bot(Plan(0, {}), BotTexts{});
    bot.OnFrame(FrameNews{kPlay, {}, kTopLeft}, 0);
    bot.ConnectionLost();
    EXPECT_EQ(HeldKey(bot.OnFrame(FrameNews{kPrompt, {}, {}}, 30)), kKeySpace);
    const std::vector<RoundReport> reports = bot.TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].result.empty());
}

// The experimenter ends the game with the round: the frame after the
// judgement shows "please wait" on the idle colour with the partner's board
// opened, and the result only in the score line's points in series.
struct GameEndCase {
    std::string name;
    std::optional<std::string> scoreBefore;  // shown before the round
    std::optional<std::string> scoreAfter;   // in the frame after it
    StatusLine after;
    bool partnerViewCreated;
    std::optional<std::string> result;  // nullopt: the round stays open
    bool fromSeries = true;
};

class BotGameEnd : public ::testing::TestWithParam<GameEndCase> {};

TEST_P(BotGameEnd, RoundJudgedAsTheGameEndsIsReportedWithItsResult) {
    const GameEndCase& c = GetParam();
    BotPlayer bot(Plan(0, {}, 1), BotTexts{});
    bot.OnFrame(FrameNews{kPrompt, c.scoreBefore, {}}, 0);
    bot.OnFrame(FrameNews{kPlay, {}, kTopLeft}, 30);
    bot.OnFrame(FrameNews{kWaitForPartner, {}, {}}, 60);
    bot.OnFrame(FrameNews{c.after, c.scoreAfter, {}, c.partnerViewCreated}, 90);
    const std::vector<RoundReport> reports = bot.TakeReports();
    if (!c.result) {
        EXPECT_TRUE(reports.empty());
        EXPECT_FALSE(bot.Done());
        return;
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].result, *c.result);
    EXPECT_EQ(reports[0].resultFromSeries, c.fromSeries);
    EXPECT_TRUE(bot.Done());
}

// An abort clears the screens (opening the partner view anew) and says
// "please wait" on the colour the status line had.
const StatusLine kAbortedWhilePlaying{kPlaying, "Bitte warten ..."};

INSTANTIATE_TEST_SUITE_P(
    Table, BotGameEnd,
    ::testing::Values(
        GameEndCase{"WonRaisesTheSeriesByOne", "Punkte in Serie: 2 Highscore: 4",
                    "Punkte in Serie: 3 Highscore: 4", kGameOver, true, "Gewonnen!"},
        GameEndCase{"WonFromNoSeries", "Punkte in Serie: 0 Highscore: 0",
                    "Punkte in Serie: 1 Highscore: 1", kGameOver, true, "Gewonnen!"},
        GameEndCase{"LostEndsTheSeries", "Punkte in Serie: 3 Highscore: 5",
                    "Punkte in Serie: 0 Highscore: 5", kGameOver, true, "Verloren!"},
        // The server sends a score line only when its text changes.
        GameEndCase{"LostWithoutASeriesLeavesTheScoreUnchanged", "Punkte in Serie: 0 Highscore: 2",
                    std::nullopt, kGameOver, true, "Verloren!"},
        GameEndCase{"OtherWordsAroundTheSeries", "Points in a row: 5 Best: 5",
                    "Points in a row: 6 Best: 6", kGameOver, true, "Gewonnen!"},
        GameEndCase{"WonWithNoScoreSeenBefore", std::nullopt, "Punkte in Serie: 1 Highscore: 1",
                    kGameOver, true, "Gewonnen!"},
        GameEndCase{"NoScoreSeenAtAllIsNotGuessed", std::nullopt, std::nullopt, kGameOver, true, "",
                    false},
        GameEndCase{"ResultShownBeforeTheGameEndedIsTakenAsShown",
                    "Punkte in Serie: 0 Highscore: 0", "Punkte in Serie: 1 Highscore: 1",
                    StatusLine{kReady, "Gewonnen! Bitte warten ..."}, true,
                    "Gewonnen! Bitte warten ...", false},
        GameEndCase{"AbortedRoundIsNoResult", "Punkte in Serie: 0 Highscore: 0", std::nullopt,
                    kAbortedWhilePlaying, true, std::nullopt},
        GameEndCase{"IdleWithoutTheBoardOpenedIsNoResult", "Punkte in Serie: 0 Highscore: 0",
                    std::nullopt, kGameOver, false, std::nullopt}),
    quib::testing::CaseName());

TEST(BotPlayer, SeriesIsTheFirstNumberAfterTheFirstColon) {
    EXPECT_EQ(SeriesOfScore("Punkte in Serie: 12 Highscore: 30"), 12);
    EXPECT_EQ(SeriesOfScore("Serie:7 Highscore: 9"), 7);
    EXPECT_EQ(SeriesOfScore("Punkte in Serie 12"), std::nullopt);
    EXPECT_EQ(SeriesOfScore("Serie: - Highscore: 3"), std::nullopt);
    EXPECT_EQ(SeriesOfScore("Serie: 12345678901234"), 123456789) << "cut at nine digits";
}

// Random moves: each is one of the two arrows that lead to another cell from
// where the figure stands, the given number per round, then the space bar;
// the same seed gives the same moves.
std::vector<int> PlayRandomRound(std::uint32_t seed) {
    BotPlan plan = Plan(0, {});
    plan.randomMoves = 6;
    plan.seed = seed;
    BotPlayer bot(plan, BotTexts{});
    int column = 0;
    int row = 0;
    const auto corner = [&] {
        return protocol::Point{0.15f + 0.5f * static_cast<float>(column),
                               0.15f + 0.5f * static_cast<float>(row)};
    };
    std::vector<int> keys;
    std::uint32_t now = 0;
    std::optional<StatusLine> status = kPlay;
    std::optional<protocol::Point> figure = corner();
    while (keys.empty() || keys.back() != kKeySpace) {
        const int key = HeldKey(bot.OnFrame(FrameNews{status, {}, figure}, now));
        now += 30;
        status.reset();
        figure.reset();
        if (key == kNone) {
            continue;
        }
        keys.push_back(key);
        const int oldColumn = column;
        const int oldRow = row;
        column = key == kKeyRight ? 1 : key == kKeyLeft ? 0 : column;
        row = key == kKeyDown ? 1 : key == kKeyUp ? 0 : row;
        if (key != kKeySpace) {
            EXPECT_TRUE(column != oldColumn || row != oldRow) << "key " << key << " hits a wall";
            figure = corner();  // arrives within the next frame
        }
        if (keys.size() > 10) {
            break;
        }
    }
    return keys;
}

TEST(BotPlayer, RandomMovesLeadToAnotherCellAndRepeatWithTheSeed) {
    const std::vector<int> first = PlayRandomRound(7);
    ASSERT_EQ(first.size(), 7u);
    EXPECT_EQ(first.back(), kKeySpace);
    EXPECT_EQ(PlayRandomRound(7), first);
}

}  // namespace
}  // namespace quib::tools
