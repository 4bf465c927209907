// A figure picture that one computer lacks, with the real programs: a lab
// copied a new figure only onto the experimenter's computer, or none at all.
// The player would otherwise play without a figure while the experimenter's
// mirror shows one, and an experimenter without any usable picture would
// find the start button grey with nothing to say why. Each case shows a red
// warning line: over the seat's mirror and over the player's own view until
// a later round loads the pictures, or across the experimenter's mirrors.
//
// QUIB_E2E_KEEP, when set, receives a copy of the run's folders (programs'
// output, screenshots) to look at.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/e2e/figure_pictures.h"
#include "testing/e2e/lab_session.h"
#include "testing/e2e/wait_for.h"
#include "testing/e2e/window_layout.h"
#include "testing/scratch_directory.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kWatchdogSeconds = 200;
// The warning lines' background.
constexpr Rgb kWarningRed{200, 0, 0};

// A strip along the top of a seat's mirror, below the warning's top margin.
constexpr Rect MirrorTop(int seat) {
    return {seat * kSeatOffset + 14, 12, 470, 6};
}
constexpr Rect kClientOwnViewTop{kClientOwnView.x + 4, kClientOwnView.y + 2, 350, 6};

bool WarnsAt(const Screenshot& shot, const Rect& area) {
    return Near(shot.Dominant(area), kWarningRed, 8);
}

// Moves the pictures of `grafik` into `keep` (created), or back.
void MovePictures(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::rename(entry.path(), to / entry.path().filename());
    }
}

class MissingPicture : public ::testing::Test {
  protected:
    void SetUp() override { ArmWatchdog(kWatchdogSeconds); }
    void TearDown() override {
        lab.Stop();
        DisarmWatchdog();
        const char* keep = std::getenv("QUIB_E2E_KEEP");
        if (keep != nullptr && *keep != '\0') {
            std::error_code error;
            fs::copy(root.path(), keep,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
        }
    }

    // Subjects, level 1, instant speed, open display, the first figure for
    // both, and the start button pressed.
    void StartGame() {
        ASSERT_NO_FATAL_FAILURE(lab.CreateSubject(0, "Anna"));
        ASSERT_NO_FATAL_FAILURE(lab.CreateSubject(1, "Ben"));
        ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(kLevelList, 1));
        ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(kSpeedList, 4));
        ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(kDisplayList, 2));
        ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(kFigure1List, 1));
        ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(kStart1List, 2));
        ASSERT_NO_FATAL_FAILURE(lab.ClickServer(kStartToggle));
    }

    // Both players press space: the first round starts, or the current one
    // ends, or the next one is set up.
    void BothPressSpace() {
        ASSERT_NO_FATAL_FAILURE(lab.PressKey(0, "space"));
        ASSERT_NO_FATAL_FAILURE(lab.PressKey(1, "space"));
    }

    bool PlayerWarns(int seat, bool warns) {
        return WaitFor(
            [&] {
                const auto shot = lab.ShotOfPlayer(seat);
                return shot && WarnsAt(*shot, kClientOwnViewTop) == warns;
            },
            kStepLimit);
    }

    quib::testing::ScratchDirectory root;
    LabSession lab{root.path()};
};

TEST_F(MissingPicture, APlayerWithoutTheFigureIsNamedOnBothScreensUntilItsPicturesLoad) {
    const fs::path playerGrafik = lab.playerDir(0) / "grafik";
    const fs::path keep = root.path() / "kept-pictures";
    ASSERT_NO_FATAL_FAILURE(lab.Start(2, [&] { MovePictures(playerGrafik, keep); }));
    ASSERT_NO_FATAL_FAILURE(StartGame());
    ASSERT_NO_FATAL_FAILURE(BothPressSpace());

    const auto warned =
        lab.AwaitServer([](const Screenshot& shot) { return WarnsAt(shot, MirrorTop(0)); });
    ASSERT_TRUE(warned) << "no warning over player 1's mirror; see " << lab.lastShot();
    EXPECT_FALSE(WarnsAt(*warned, MirrorTop(1))) << "player 2 has every picture";
    EXPECT_TRUE(PlayerWarns(0, true))
        << "player 1's window does not name the picture; see " << lab.lastShot();
    EXPECT_TRUE(PlayerWarns(1, false)) << "player 2's window warns; see " << lab.lastShot();

    // The pictures arrive; the next round loads them again and the warnings
    // go.
    MovePictures(keep, playerGrafik);
    ASSERT_NO_FATAL_FAILURE(BothPressSpace());
    ASSERT_TRUE(
        WaitFor([&] { return fs::exists(lab.serverDir() / "log" / "r000000.csv"); }, kStepLimit));
    ASSERT_NO_FATAL_FAILURE(BothPressSpace());
    EXPECT_TRUE(lab.AwaitServer([](const Screenshot& shot) {
        return !WarnsAt(shot, MirrorTop(0));
    })) << "the warning stayed once the pictures loaded; see "
        << lab.lastShot();
    EXPECT_TRUE(PlayerWarns(0, false)) << "player 1's warning stayed; see " << lab.lastShot();
}

TEST_F(MissingPicture, AnExperimenterWithoutUsablePicturesIsToldWhy) {
    ASSERT_NO_FATAL_FAILURE(lab.Start(0, [&] {
        for (const auto& entry : fs::directory_iterator(lab.serverDir() / "grafik")) {
            fs::remove(entry.path());
        }
    }));
    const auto warned = lab.AwaitServer([](const Screenshot& shot) {
        return WarnsAt(shot, MirrorTop(0)) && WarnsAt(shot, MirrorTop(1));
    });
    EXPECT_TRUE(warned) << "nothing says why no game can start; see " << lab.lastShot();
}

}  // namespace
}  // namespace quib::e2e
