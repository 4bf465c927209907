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
    return subjectsChosen && differentSubjects && listsChosen && bothConnected;
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

void ResetScores(ResetKind kind, ServerStatistics& statistics, std::array<SeatRecord, 2>& seats,
                 const ServerTexts& texts, ServerState& state) {
    const bool everything = kind == ResetKind::Everything;
    if (everything || kind == ResetKind::Series) {
        statistics.currentSeries = 0;
    }
    if (everything || kind == ResetKind::Record) {
        statistics.bestSeries = 0;
        statistics.currentSeries = 0;
    }
    if (everything || kind == ResetKind::Panel) {
        statistics.runningSeries = 0;
        statistics.currentRow = {};
        statistics.lastRow = {};
        statistics.totalRow = {};
        statistics.levelRow = {};
    }
    if (everything || kind == ResetKind::Series || kind == ResetKind::Record) {
        for (SeatRecord& seat : seats) {
            seat.scoreText = ScoreText(statistics, texts);
        }
    }
    state.refreshStatistics = 1;
}

}  // namespace quib::server
