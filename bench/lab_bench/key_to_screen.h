#pragma once

// Key to screen: arrow keys typed into the real player program's window
// through the X server, each timed until the figure's pixels change in that
// window as the X server holds them for the screen.

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#include "bench/lab_bench/screen_probe.h"
#include "testing/e2e/board_reader.h"

namespace quib::bench {

struct ScreenPress {
    ScreenProbe::Clock::time_point sent;  // the key press left for the X server
    int vk = 0;                           // its virtual-key code, as the reply reports it
    // From `sent` to the reply of the first grab that showed the figure
    // changed: the change happened before that reply.
    double screenMs = 0;
    // From the request of the last grab that still showed the still picture
    // to that reply: the change happened inside this span.
    double resolutionMs = 0;
    // From `sent` until the X server confirmed it had handled the key.
    double keyTakenMs = 0;
};

struct KeyToScreenRecord {
    std::vector<ScreenPress> shown;
    int notShown = 0;  // no change within the limit
    int stayed = 0;    // the view changed, but the figure ended where it started
    // The view stood still for a while with the figure between two cells:
    // the player program (or the machine) stalled during a journey.
    int unsettled = 0;
    std::vector<double> grabMs;  // round trip of every grab of the figure's band
};

struct KeyToScreenOptions {
    int presses = 300;
    e2e::BoardArea view;  // the own view, in window coordinates
    // The pause before each press is drawn from 0 .. this; a whole number
    // of exchanges spreads the presses evenly over the exchange rhythm.
    double pauseSpanMs = 100;
    std::filesystem::path shots;  // receives pictures of the region read; empty: none
};

// Types `presses` arrows, Right from a left cell and Left from a right one,
// each once the view has stood still and after a random pause, so that the
// presses fall on every point of the exchange rhythm alike. The window must have
// the keyboard and show a running level-1 round. Problems are reported as
// gtest failures.
void MeasureKeyToScreen(ScreenProbe& probe, const KeyToScreenOptions& options,
                        KeyToScreenRecord* out);

// The rows the figure's changes are looked for in: the band of the view
// `halfHeight` rows above and below the middle of the figure's box (view
// coordinates), across the whole view, in window coordinates. A figure that
// moves sideways changes pixels there first and throughout its journey;
// nothing else in the view changes while a round runs.
e2e::Rect FigureBand(const e2e::BoardArea& view, const e2e::Rect& figureBox, int halfHeight);

// Whether the figure's box `box` (view coordinates) stands on a cell: where
// `home`, the box seen at rest first, stood, or a cell to the side of it in
// a view of `side` pixels.
bool AtRest(const e2e::Rect& box, const e2e::Rect& home, int side);

}  // namespace quib::bench
