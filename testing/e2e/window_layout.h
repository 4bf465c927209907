#pragma once

// Where things are on the screens the test reads and clicks: the
// experimenter's window (1353 x 700, fixed) and a player's window opened
// with baseHight 450, and the status colours the players' text lines show.

#include "testing/e2e/board_reader.h"
#include "testing/e2e/screenshot.h"

namespace quib::e2e {

struct Point {
    int x;
    int y;
};

// --- The experimenter's window; seat 1's panel lies 670 pixels to the
// right of seat 0's.
inline constexpr int kServerWidth = 1353;
inline constexpr int kServerHeight = 700;
inline constexpr int kSeatOffset = 670;

// The mirror of a player's own view, 480 pixels square.
constexpr BoardArea ServerBoard(int seat) {
    return {seat * kSeatOffset + 10, 10, 480};
}
// The lower status line (the player's status text), inside its frame.
constexpr Rect ServerStatus(int seat) {
    return {seat * kSeatOffset + 12, 527, 480, 17};
}
// The host line, and the upper status line (the player's score line)
// inside its frame.
constexpr Rect ServerHostLine(int seat) {
    return {seat * kSeatOffset + 500, 206, 170, 16};
}
constexpr Rect ServerScoreLine(int seat) {
    return {seat * kSeatOffset + 12, 500, 480, 17};
}
// Middle of a drop-down list placed at (x, y) with width `width`.
constexpr Point ListSpot(int x, int y, int width) {
    return {x + width / 2, y + 10};
}
inline constexpr Point kSubjectSelector[2] = {ListSpot(500, 225, 170),
                                              ListSpot(kSeatOffset + 500, 225, 170)};
inline constexpr Point kLevelList = ListSpot(100, 580, 200);
inline constexpr Point kSpeedList = ListSpot(100, 609, 200);
inline constexpr Point kDisplayList = ListSpot(100, 638, 200);
inline constexpr Point kFigure1List = ListSpot(100, 667, 96);
inline constexpr Point kFigure2List = ListSpot(205, 667, 96);
inline constexpr Point kStart1List = ListSpot(410, 580, 96);
inline constexpr Point kStartToggle = {310 + 150, 608 + 11};

// --- A player's window with baseHight 450: scale 0.75, pictures of 360
// pixels, window 768 x 450; own view on the left, partner view on the right.
inline constexpr int kClientWidth = 768;
inline constexpr int kClientHeight = 450;
inline constexpr BoardArea kClientOwnView{16, 15, 360};
inline constexpr BoardArea kClientPartnerView{392, 15, 360};
// The right text field (the score line) inside its frame.
inline constexpr Rect kClientScoreLine{472, 388, 281, 43};

// --- Status line backgrounds.
inline constexpr Rgb kRunning{230, 230, 230};
inline constexpr Rgb kReady{200, 255, 200};     // also "won"
inline constexpr Rgb kNotReady{255, 200, 200};  // also "lost"
inline constexpr Rgb kIdle{150, 150, 255};

}  // namespace quib::e2e
