#include "bench/lab_bench/key_to_screen.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <random>
#include <thread>

#include "common/key_codes.h"

namespace quib::bench {
namespace {

using namespace std::chrono_literals;
using Clock = ScreenProbe::Clock;

// How often the figure's band is read while a press is on its way: the
// first change is known to within this step plus one read's round trip.
// A read of the 360 x 16 band takes about 0.1 ms with its round trip, so
// reading it every millisecond leaves the X server idle most of the time.
constexpr auto kPollStep = 1ms;
// While waiting for the figure to arrive the band is read less often.
constexpr auto kStillStep = 5ms;
// A figure travelling changes the view every exchange (25 ms); four
// exchanges without a change mean it has arrived.
constexpr auto kStillFor = 100ms;
// A journey across a cell at the slowest speed takes 25 exchanges; twenty
// seconds without rest means the view is not what this expects.
constexpr auto kStillLimit = 20s;
// A press that changes nothing within 20 exchanges is counted as not shown
// (the server drops presses only while the figure travels, and it stands).
constexpr auto kShowLimit = 500ms;
// The player program draws the same picture into the same pixels; any
// difference is the figure. The tolerance only guards against a colour
// conversion on the way; a step of the figure changes hundreds of pixels.
constexpr int kTolerance = 8;
constexpr int kMinChangedPixels = 6;
// Rows above and below the figure's middle that are read.
constexpr int kBandHalfHeight = 8;
// The figure stands where it stood at first or a cell to the side, to a
// pixel (the cell's offset is scaled to the window).
constexpr int kRestSlack = 1;
// Times the view may stand still with the figure between two cells before
// the run gives up.
constexpr int kRestAttempts = 50;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::optional<int> FigureCell(ScreenProbe& probe, const e2e::BoardArea& view, e2e::Rect* box) {
    RgbaImage pixels;
    if (!probe.Grab({view.x, view.y, view.side, view.side}, &pixels)) {
        return std::nullopt;
    }
    const e2e::Screenshot shot(std::move(pixels));
    const e2e::BoardArea local{0, 0, view.side};
    const auto board = e2e::ReadBoard(shot, local);
    if (!board) {
        return std::nullopt;
    }
    const auto found = e2e::FigureBox(shot, local, *board);
    if (!found) {
        return std::nullopt;
    }
    *box = *found;
    return e2e::CellOf(*found, view.side);
}

// Reads the band until it has not changed for kStillFor; the last picture
// read goes to *still.
bool AwaitStill(ScreenProbe& probe, const e2e::Rect& band, RgbaImage* still) {
    const auto start = Clock::now();
    RgbaImage previous;
    if (!probe.Grab(band, &previous)) {
        return false;
    }
    auto unchangedSince = Clock::now();
    while (Clock::now() - start < kStillLimit) {
        std::this_thread::sleep_for(kStillStep);
        RgbaImage now;
        if (!probe.Grab(band, &now)) {
            return false;
        }
        if (ChangedPixels(previous, now, 0) != 0) {
            unchangedSince = Clock::now();
        } else if (Clock::now() - unchangedSince >= kStillFor) {
            *still = std::move(now);
            return true;
        }
        previous = std::move(now);
    }
    return false;
}

void Save(const RgbaImage& pixels, const std::filesystem::path& file) {
    const QImage image(pixels.pixels.data(), pixels.width, pixels.height, pixels.width * 4,
                       QImage::Format_RGBA8888);
    image.save(QString::fromStdString(file.string()));
}

// The view as read, with the band's first and last rows marked in
// magenta, for a look at what is measured.
void SaveView(ScreenProbe& probe, const e2e::BoardArea& view, const e2e::Rect& band,
              const std::filesystem::path& file) {
    RgbaImage pixels;
    if (!probe.Grab({view.x, view.y, view.side, view.side}, &pixels)) {
        return;
    }
    for (const int row : {band.y - view.y - 1, band.y - view.y + band.height}) {
        if (row < 0 || row >= pixels.height) {
            continue;
        }
        for (int x = 0; x < pixels.width; ++x) {
            std::uint8_t* p =
                &pixels.pixels[(static_cast<std::size_t>(row) * pixels.width + x) * 4];
            p[0] = 255;
            p[1] = 0;
            p[2] = 255;
        }
    }
    Save(pixels, file);
}

}  // namespace

e2e::Rect FigureBand(const e2e::BoardArea& view, const e2e::Rect& figureBox, int halfHeight) {
    const int middle = figureBox.y + figureBox.height / 2;
    const int top = std::clamp(middle - halfHeight, 0, view.side);
    const int bottom = std::clamp(middle + halfHeight, 0, view.side);
    return {view.x, view.y + top, view.side, bottom - top};
}

bool AtRest(const e2e::Rect& box, const e2e::Rect& home, int side) {
    const auto near = [](int a, int b) { return std::abs(a - b) <= kRestSlack; };
    return near(box.y, home.y) && near(box.width, home.width) && near(box.height, home.height) &&
           (near(box.x, home.x) || near(std::abs(box.x - home.x), side / 2));
}

void MeasureKeyToScreen(ScreenProbe& probe, const KeyToScreenOptions& options,
                        KeyToScreenRecord* out) {
    e2e::Rect home;
    std::optional<int> cell = FigureCell(probe, options.view, &home);
    ASSERT_TRUE(cell) << "no figure on the player's own view";
    const e2e::Rect band = FigureBand(options.view, home, kBandHalfHeight);
    const e2e::WindowId window = probe.FocusedWindow().value_or(0);
    std::mt19937 random(1);
    std::uniform_real_distribution<double> pauseMs(0, options.pauseSpanMs);
    RgbaImage still, changed;
    int pressedFrom = -1;  // the cell of the last press until its journey ended; -1: none
    // Waits until the view stands still with the figure on a cell, not on
    // its way between two: a view that stops changing for a while can also
    // be a program that has stalled mid-journey.
    const auto awaitRest = [&]() -> bool {
        for (int attempt = 0; attempt < kRestAttempts; ++attempt) {
            e2e::Rect box;
            if (!AwaitStill(probe, band, &still)) {
                return false;
            }
            const std::optional<int> now = FigureCell(probe, options.view, &box);
            if (now && AtRest(box, home, options.view.side)) {
                if (*now == pressedFrom) {
                    ++out->stayed;
                }
                pressedFrom = -1;
                cell = now;
                return true;
            }
            ++out->unsettled;
        }
        return false;
    };
    int typed = 0;
    while (typed < options.presses) {
        ASSERT_TRUE(awaitRest()) << "the player's figure does not come to rest on a cell";
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(pauseMs(random)));
        RgbaImage reference;
        ASSERT_TRUE(probe.Grab(band, &reference));
        if (ChangedPixels(still, reference, 0) != 0) {
            continue;  // something moved during the pause: wait for rest again
        }
        ASSERT_EQ(probe.FocusedWindow(), std::optional<e2e::WindowId>(window))
            << "the player's window lost the keyboard";
        const bool right = *cell % 2 == 0;
        const std::string key = right ? "Right" : "Left";
        const auto sent = probe.SendKey(key, true);
        ASSERT_TRUE(sent) << "the X server has no key " << key;
        probe.Sync();
        ScreenPress press{*sent, right ? kKeyRight : kKeyLeft, 0, 0, Ms(Clock::now() - *sent)};
        ++typed;
        pressedFrom = *cell;
        auto lastStill = *sent;
        auto next = *sent + kPollStep;
        bool shown = false;
        while (Clock::now() - *sent < kShowLimit) {
            std::this_thread::sleep_until(next);
            const auto asked = Clock::now();
            RgbaImage read;
            ASSERT_TRUE(probe.Grab(band, &read));
            const auto answered = Clock::now();
            out->grabMs.push_back(Ms(answered - asked));
            if (ChangedPixels(reference, read, kTolerance) >= kMinChangedPixels) {
                press.screenMs = Ms(answered - *sent);
                press.resolutionMs = Ms(answered - lastStill);
                changed = std::move(read);
                shown = true;
                break;
            }
            lastStill = asked;
            next = std::max(next + kPollStep, Clock::now());
        }
        probe.SendKey(key, false);
        probe.Sync();
        if (shown) {
            out->shown.push_back(press);
        } else {
            ++out->notShown;
        }
    }
    ASSERT_TRUE(awaitRest()) << "the player's figure does not come to rest on a cell";
    if (!options.shots.empty()) {
        std::filesystem::create_directories(options.shots);
        SaveView(probe, options.view, band, options.shots / "key_to_screen_view.png");
        Save(still, options.shots / "key_to_screen_band_still.png");
        if (!changed.pixels.empty()) {
            Save(changed, options.shots / "key_to_screen_band_changed.png");
        }
    }
}

}  // namespace quib::bench
