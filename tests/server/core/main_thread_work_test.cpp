#include <gtest/gtest.h>

#include <functional>

#include "server/core/server_state.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

struct WorkCase {
    const char* name;
    std::function<void(ServerState&)> raise;
    bool wakes;
};

class MainThreadWork : public ::testing::TestWithParam<WorkCase> {};

TEST_P(MainThreadWork, WakesTheWindowOnlyForWhatItMustShowAtOnce) {
    ServerState state;
    ASSERT_FALSE(HasMainThreadWork(state)) << "nothing raised";
    GetParam().raise(state);
    EXPECT_EQ(HasMainThreadWork(state), GetParam().wakes);
}

const WorkCase kWorkCases[] = {
    {"ChangedControls", [](ServerState& s) { s.refreshControls = 1; }, true},
    {"ChangedMirror", [](ServerState& s) { s.refreshBoard[1] = 1; }, true},
    {"ChangedMirrorWithTheTimerSet",
     [](ServerState& s) {
         s.refreshBoard[1] = 1;
         s.boardRefreshTimed = 1;
     },
     false},
    {"TimerSetButAStatusLineChanged",
     [](ServerState& s) {
         s.refreshBoard[0] = 1;
         s.boardRefreshTimed = 1;
         s.statusSlots[2].dirty = 1;
     },
     true},
    {"OnlyTheStripsChanged", [](ServerState& s) { s.refreshStrips = 1; }, false},
    {"LogLine", [](ServerState& s) { s.logQueue.Post("12:00:00", "x"); }, true},
};

INSTANTIATE_TEST_SUITE_P(ServerState, MainThreadWork, ::testing::ValuesIn(kWorkCases),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
