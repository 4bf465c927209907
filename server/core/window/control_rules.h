#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "server/core/server_state.h"
#include "server/core/texts.h"

namespace quib::server {

// Which of the experimenter's controls may be used, decided from the game
// state and the choices made. Kept free of widgets so that the rules can be
// checked as a table.
struct ControlInputs {
    std::int32_t gameState = Idle;
    bool toggleDown = false;
    std::array<int, 2> subjectEntry = {0, 0};  // selected entry of 8 / 4008
    std::array<std::int32_t, 2> subjectNumber = {-1, -1};
    // Selected entries of 9002, 9004, 9006, 9008, 9009, 9011, 9012.
    std::array<int, 7> settingEntry = {0, 0, 0, 0, 1, 0, 1};
    std::array<bool, 2> seatConnected = {false, false};
    // Every chosen entry of the seven lists may be chosen: a disabled entry
    // (a figure picture no game can show) set by the program blocks the
    // start as a prompt does.
    bool chosenEntriesUsable = true;
};

enum class Enablement { Enable, Disable, Keep };

struct ControlStates {
    bool abortEnabled = false;
    int toggleTextKey = txt::kStartGame;  // or kEndGameAfterRound, kContinueGameAfterRound
    // The nine game controls: both subject selectors and the seven lists.
    Enablement gameControls = Enablement::Keep;
    Enablement startToggle = Enablement::Keep;
};

ControlStates EvaluateControls(const ControlInputs& inputs);

}  // namespace quib::server
