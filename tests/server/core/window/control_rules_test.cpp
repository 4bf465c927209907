#include "server/core/window/control_rules.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace quib::server {
namespace {

// Everything chosen for a game: two different subjects, every list set,
// both seats connected.
ControlInputs ReadyToStart() {
    ControlInputs in;
    in.subjectEntry = {2, 3};
    in.subjectNumber = {4, 7};
    in.settingEntry = {1, 2, 1, 3, 1, 2, 1};  // player 2's "<- Selbe" entries count as chosen
    in.seatConnected = {true, true};
    return in;
}

struct RuleCase {
    const char* name;
    ControlInputs (*inputs)();
    bool abortEnabled;
    int toggleTextKey;
    Enablement gameControls;
    Enablement startToggle;
};

const RuleCase kRules[] = {
    {"EverythingChosen", ReadyToStart, false, txt::kStartGame, Enablement::Enable,
     Enablement::Enable},
    {"NoClientOnSeat2",
     [] {
         auto in = ReadyToStart();
         in.seatConnected[1] = false;
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"NoClientAtAll",
     [] {
         auto in = ReadyToStart();
         in.seatConnected = {false, false};
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"SameSubjectTwice",
     [] {
         auto in = ReadyToStart();
         in.subjectNumber = {4, 4};
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"SubjectSelectorOnCreateEntry",
     [] {
         auto in = ReadyToStart();
         in.subjectEntry[0] = 1;
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"LevelOnItsPrompt",
     [] {
         auto in = ReadyToStart();
         in.settingEntry[0] = 0;
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"Player2StartOnItsPrompt",
     [] {
         auto in = ReadyToStart();
         in.settingEntry[6] = 0;
         return in;
     },
     false, txt::kStartGame, Enablement::Enable, Enablement::Disable},
    {"ToggleDownDuringAGame",
     [] {
         auto in = ReadyToStart();
         in.gameState = Running;
         in.toggleDown = true;
         return in;
     },
     true, txt::kEndGameAfterRound, Enablement::Disable, Enablement::Keep},
    {"ToggleReleasedDuringAGame",
     [] {
         auto in = ReadyToStart();
         in.gameState = RoundOver;
         return in;
     },
     true, txt::kContinueGameAfterRound, Enablement::Keep, Enablement::Keep},
};

class ControlRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ControlRule, DecidesTheControls) {
    const ControlStates states = EvaluateControls(GetParam().inputs());
    EXPECT_EQ(states.abortEnabled, GetParam().abortEnabled);
    EXPECT_EQ(states.toggleTextKey, GetParam().toggleTextKey);
    EXPECT_EQ(states.gameControls, GetParam().gameControls);
    EXPECT_EQ(states.startToggle, GetParam().startToggle);
}

INSTANTIATE_TEST_SUITE_P(Window, ControlRule, ::testing::ValuesIn(kRules),
                         quib::testing::CaseName());

TEST(ControlRule, EachSettingListLeftOnItsPromptKeepsTheToggleDisabled) {
    for (std::size_t list = 0; list < 7; ++list) {
        auto in = ReadyToStart();
        in.settingEntry[list] = 0;
        EXPECT_EQ(EvaluateControls(in).startToggle, Enablement::Disable) << "list " << list;
    }
}

struct ResetCase {
    const char* name;
    ResetKind kind;
    std::int32_t currentSeries;
    std::int32_t bestSeries;
    bool panelCleared;
    const char* scoreText;  // nullptr: unchanged
};

const ResetCase kResets[] = {
    {"Everything", ResetKind::Everything, 0, 0, true, "Punkte in Serie: 0 Highscore: 0"},
    {"PointsReset", ResetKind::Series, 0, 9, false, "Punkte in Serie: 0 Highscore: 9"},
    {"RecordReset", ResetKind::Record, 0, 0, false, "Punkte in Serie: 0 Highscore: 0"},
    {"StatisticsReset", ResetKind::Panel, 4, 9, true, nullptr},
};

class ScoreReset : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ScoreReset, ClearsItsCountersAndRewritesTheScoreLines) {
    const ServerTexts texts;
    ServerState state;
    ServerStatistics statistics;
    statistics.currentSeries = 4;
    statistics.bestSeries = 9;
    statistics.runningSeries = 2;
    statistics.totalRow = {5000, 3, 6};
    statistics.levelRow[2] = {1000, 1, 1};
    std::array<SeatRecord, 2> seats;
    seats[0].scoreText = seats[1].scoreText = "old";

    ResetScores(GetParam().kind, statistics, seats, texts, state);

    EXPECT_EQ(statistics.currentSeries, GetParam().currentSeries);
    EXPECT_EQ(statistics.bestSeries, GetParam().bestSeries);
    EXPECT_EQ(statistics.totalRow.rounds == 0 && statistics.levelRow[2].ms == 0 &&
                  statistics.runningSeries == 0,
              GetParam().panelCleared);
    const std::string expected = GetParam().scoreText ? GetParam().scoreText : "old";
    EXPECT_EQ(seats[0].scoreText, expected);
    EXPECT_EQ(seats[1].scoreText, expected);
    EXPECT_EQ(state.refreshStatistics, 1);
}

INSTANTIATE_TEST_SUITE_P(Window, ScoreReset, ::testing::ValuesIn(kResets),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
