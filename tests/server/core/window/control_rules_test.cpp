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
    {"AChosenFigureNoGameCanShow",
     [] {
         auto in = ReadyToStart();
         in.chosenEntriesUsable = false;
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

}  // namespace
}  // namespace quib::server
