#pragma once

#include <filesystem>

#include "bench/lab_bench/lab_figures.h"
#include "testing/e2e/lab_session.h"

namespace quib::bench {

struct LabOptions {
    double idleSeconds = 30;
    double playSeconds = 180;
    // Arrows typed into the real player's window and timed until the
    // screen shows them, after the playing; 0 leaves this out.
    int presses = 300;
    // Receives a screenshot of the server's window while both figures move,
    // and pictures of the region of the player's window read for the key
    // to screen.
    std::filesystem::path shotDir;
};

// One lab on a private X server and network: the real server, the real
// player program on seat 1 and the measuring player on seat 2. Measures
// while both wait, then sets up a game through the server's window and
// measures while both figures move. Problems are reported as gtest
// failures; call it from a test body.
void MeasureLab(const LabOptions& options, LabFigures& figures);

// Entries of the speed list, counted from its prompt.
inline constexpr int kSpeedSlow = 1;     // "langsam"
inline constexpr int kSpeedInstant = 4;  // "augenblicklich"

// The experimenter's choices, clicked into the server's window once both
// players are connected: subjects "Anna" and "Ben", level 1, the speed given,
// open display, two different figures, both starting top left; then the
// start toggle.
void SetUpGame(e2e::LabSession& lab, int speed);

}  // namespace quib::bench
