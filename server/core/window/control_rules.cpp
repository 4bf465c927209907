#include "server/core/window/control_rules.h"

#include <algorithm>

namespace quib::server {

namespace {

bool EverythingChosen(const ControlInputs& in) {
    const bool subjectsChosen = in.subjectEntry[0] >= 2 && in.subjectEntry[1] >= 2;
    const bool differentSubjects = in.subjectNumber[0] != in.subjectNumber[1];
    const bool listsChosen =
        std::all_of(in.settingEntry.begin(), in.settingEntry.end(), [](int e) { return e != 0; });
    const bool bothConnected = in.seatConnected[0] && in.seatConnected[1];
    return subjectsChosen && differentSubjects && listsChosen && in.chosenEntriesUsable &&
           bothConnected;
}

}  // namespace

ControlStates EvaluateControls(const ControlInputs& in) {
    ControlStates out;
    const bool idle = in.gameState == Idle;
    out.abortEnabled = !idle;
    // The caption names what a click does next.
    out.toggleTextKey =
        idle ? txt::kStartGame
             : (in.toggleDown ? txt::kEndGameAfterRound : txt::kContinueGameAfterRound);
    if (in.toggleDown) {
        out.gameControls = Enablement::Disable;
    } else if (idle) {
        out.gameControls = Enablement::Enable;
        out.startToggle = EverythingChosen(in) ? Enablement::Enable : Enablement::Disable;
    }
    return out;
}

}  // namespace quib::server
