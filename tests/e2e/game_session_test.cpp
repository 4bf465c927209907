// The whole system as a lab uses it: the real server and two real player
// programs on a private X server, the experimenter's choices clicked and
// typed into the server's window, the players' keys typed into their own
// windows. Three rounds are played, two of them won on purpose (the test
// reads both boards off the server's mirror images and moves both figures
// onto a common stimulus) and one lost on purpose; then every file the
// server wrote is checked against what was played.
//
// QUIB_SCREENSHOT_DIR, when set, receives server.png and client.png, taken
// while the figures stand on their targets in the most colourful round.
// QUIB_E2E_KEEP, when set, receives a copy of the run's folders (programs'
// output, screenshots, records) to look at.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "server/records/records_check.h"
#include "server/records/session_file.h"
#include "testing/e2e/board_reader.h"
#include "testing/e2e/child_group.h"
#include "testing/e2e/export_checks.h"
#include "testing/e2e/figure_pictures.h"
#include "testing/e2e/lab_session.h"
#include "testing/e2e/record_checks.h"
#include "testing/e2e/wait_for.h"
#include "testing/e2e/window_layout.h"
#include "testing/scratch_directory.h"
#include "tests/e2e/round_plan.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The whole run, set-up included, ends well before ctest's limit.
constexpr unsigned kWatchdogSeconds = 280;
const std::string kSubjects[2] = {"Anna", "Ben"};

// The board colours at the four cell centres, if all show a stimulus.
std::optional<Board> CellCentres(const Screenshot& shot, const BoardArea& area) {
    Board board{};
    for (int cell = 0; cell < 4; ++cell) {
        const auto colour = StimulusAt(shot, area.PixelX(0.25 + 0.5 * (cell % 2)),
                                       area.PixelY(0.25 + 0.5 * (cell / 2)));
        if (!colour) {
            return std::nullopt;
        }
        board[static_cast<std::size_t>(cell)] = *colour;
    }
    return board;
}

// Both boards as the server mirrors them, once both are drawn.
std::optional<std::pair<Board, Board>> Boards(const Screenshot& shot) {
    const auto b0 = ReadBoard(shot, ServerBoard(0));
    const auto b1 = ReadBoard(shot, ServerBoard(1));
    if (!b0 || !b1) {
        return std::nullopt;
    }
    return std::pair{*b0, *b1};
}

bool StatusIs(const Screenshot& shot, int seat, const Rgb& colour) {
    return Near(shot.Dominant(ServerStatus(seat)), colour);
}

// How many different colours the two boards show: the README's pictures
// come from the most colourful round.
int Variety(const PlayedRound& round) {
    const std::set<int> own(round.seat0.begin(), round.seat0.end());
    const std::set<int> partner(round.seat1.begin(), round.seat1.end());
    return static_cast<int>(own.size() + partner.size());
}

bool SameBox(const Rect& a, const Rect& b) {
    constexpr int kSlack = 4;
    return std::abs(a.x - b.x) <= kSlack && std::abs(a.y - b.y) <= kSlack &&
           std::abs(a.width - b.width) <= kSlack && std::abs(a.height - b.height) <= kSlack;
}

class GameSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ArmWatchdog(kWatchdogSeconds);
        ASSERT_NO_FATAL_FAILURE(lab_.Start());
    }

    void TearDown() override {
        lab_.Stop();
        DisarmWatchdog();
        const char* keep = std::getenv("QUIB_E2E_KEEP");
        if (keep != nullptr && *keep != '\0') {
            std::error_code error;
            fs::copy(scratch_.path(), keep,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
            std::cerr << "e2e: run kept in " << keep << "\n";
        }
    }

    // Player 1's screen shows its own board on the left and, the display
    // being open, player 2's board on the right, as the server mirrors them.
    void CheckPlayerScreen(const Board& own, const Board& partner) {
        std::optional<Board> left, right;
        WaitFor(
            [&] {
                const auto shot = lab_.ShotOfPlayer(0);
                if (!shot) {
                    return false;
                }
                left = CellCentres(*shot, kClientOwnView);
                right = CellCentres(*shot, kClientPartnerView);
                return left == own && right == partner;
            },
            kStepLimit);
        EXPECT_EQ(left, own) << "player 1's own board differs from the server's mirror; "
                             << lab_.lastShot();
        EXPECT_EQ(right, partner) << "player 1's view of player 2's board differs; "
                                  << lab_.lastShot();
    }

    // Moves a figure from the top left cell with the arrow keys, waiting for
    // each move to arrive on the server's mirror. A key that comes while the
    // figure is still travelling is dropped by the server, so a move that
    // does not show is keyed again; a repeated arrow cannot move further on
    // a 2 x 2 board.
    void MoveFigure(int seat, const Board& board, const Rect& start,
                    const std::vector<Arrow>& arrows) {
        int cell = 0;
        for (Arrow arrow : arrows) {
            cell += arrow == Arrow::Right ? 1 : 2;
            const Rect expected{start.x + 240 * (cell % 2), start.y + 240 * (cell / 2), start.width,
                                start.height};
            const auto arrivedThere = [&](const Screenshot& shot) {
                const auto box = FigureBox(shot, ServerBoard(seat), board);
                return box && SameBox(*box, expected);
            };
            bool arrived = false;
            for (int attempt = 0; attempt < 3 && !arrived; ++attempt) {
                ASSERT_NO_FATAL_FAILURE(
                    lab_.PressKey(seat, arrow == Arrow::Right ? "Right" : "Down"));
                arrived = lab_.AwaitServer(arrivedThere, 10s).has_value();
            }
            ASSERT_TRUE(arrived) << "player " << seat + 1 << "'s figure did not reach cell " << cell
                                 << "; " << lab_.lastShot();
        }
    }

    void SaveForReadme() {
        const char* dir = std::getenv("QUIB_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0') {
            return;
        }
        fs::create_directories(dir);
        ASSERT_TRUE(lab_.ShotOfServer());
        fs::copy_file(lab_.lastShot(), fs::path(dir) / "server.png",
                      fs::copy_options::overwrite_existing);
        ASSERT_TRUE(lab_.ShotOfPlayer(0));
        fs::copy_file(lab_.lastShot(), fs::path(dir) / "client.png",
                      fs::copy_options::overwrite_existing);
    }

    // The first round waits for both players' start presses; later rounds
    // start as soon as both pressed space after the previous result.
    void StartFirstRound(PlayedRound& round) {
        const auto waiting = lab_.AwaitServer([](const Screenshot& shot) {
            return Boards(shot) && StatusIs(shot, 0, kNotReady) && StatusIs(shot, 1, kNotReady);
        });
        ASSERT_TRUE(waiting) << "the round was not set up; " << lab_.lastShot();
        std::tie(round.seat0, round.seat1) = *Boards(*waiting);
        ASSERT_NO_FATAL_FAILURE(CheckPlayerScreen(round.seat0, round.seat1));
        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(0, "space"));
        ASSERT_TRUE(lab_.AwaitServer([](const Screenshot& s) { return StatusIs(s, 0, kReady); }))
            << "player 1's start press was not taken; " << lab_.lastShot();
        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(1, "space"));
    }

    // Waits for a running round with both figures on their start cell; the
    // boards and where the figures are drawn.
    void AwaitRunningRound(PlayedRound& round, Rect starts[2]) {
        const auto running = lab_.AwaitServer([&](const Screenshot& shot) {
            const auto boards = Boards(shot);
            if (!boards || !StatusIs(shot, 0, kRunning) || !StatusIs(shot, 1, kRunning)) {
                return false;
            }
            for (int seat = 0; seat < 2; ++seat) {
                const auto box =
                    FigureBox(shot, ServerBoard(seat), seat == 0 ? boards->first : boards->second);
                if (!box || CellOf(*box, ServerBoard(seat).side) != 0) {
                    return false;
                }
                starts[seat] = *box;
            }
            return true;
        });
        ASSERT_TRUE(running) << "the round did not start; " << lab_.lastShot();
        std::tie(round.seat0, round.seat1) = *Boards(*running);
    }

    // One round from its set-up to its result; the last releases the start
    // toggle before the end, so that the game ends with it.
    void PlayRound(int index, Plan plan, bool last, std::vector<PlayedRound>& played) {
        SCOPED_TRACE("round " + std::to_string(index + 1));
        PlayedRound round;
        if (index == 0) {
            ASSERT_NO_FATAL_FAILURE(StartFirstRound(round));
        }
        const PlayedRound before = round;
        Rect starts[2];
        ASSERT_NO_FATAL_FAILURE(AwaitRunningRound(round, starts));
        if (index == 0) {
            EXPECT_EQ(round.seat0, before.seat0) << "the board changed when the round started";
            EXPECT_EQ(round.seat1, before.seat1) << "the board changed when the round started";
        }
        auto targets = ChooseTargets(round.seat0, round.seat1, plan);
        if (!targets) {
            // Every cell of both boards has the same colour: the round can
            // only be won.
            targets = ChooseTargets(round.seat0, round.seat1, Plan::Win);
        }
        ASSERT_TRUE(targets) << "the boards share no stimulus";
        std::tie(round.end0, round.end1) = *targets;
        round.arrows0 = ArrowsTo(round.end0);
        round.arrows1 = ArrowsTo(round.end1);
        ASSERT_NO_FATAL_FAILURE(MoveFigure(0, round.seat0, starts[0], round.arrows0));
        ASSERT_NO_FATAL_FAILURE(MoveFigure(1, round.seat1, starts[1], round.arrows1));
        if (Variety(round) > readmeVariety_) {
            readmeVariety_ = Variety(round);
            ASSERT_NO_FATAL_FAILURE(SaveForReadme());
        }
        if (last) {
            ASSERT_NO_FATAL_FAILURE(lab_.ClickServer(kStartToggle));
        }

        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(0, "space"));
        ASSERT_TRUE(lab_.AwaitServer([](const Screenshot& s) { return StatusIs(s, 0, kReady); }))
            << "player 1 could not end the round; " << lab_.lastShot();
        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(1, "space"));
        const fs::path file =
            lab_.serverDir() / "log" / ("r00000" + std::to_string(index) + ".csv");
        ASSERT_TRUE(WaitFor([&] { return fs::exists(file); }, kStepLimit)) << file;
        // The result's colour, or the idle colour once the game has ended.
        const Rgb shown = last ? kIdle : round.Won() ? kReady : kNotReady;
        ASSERT_TRUE(lab_.AwaitServer([&](const Screenshot& s) {
            return StatusIs(s, 0, shown) && StatusIs(s, 1, shown);
        })) << (last ? "the game did not end" : "the result is not shown")
            << "; " << lab_.lastShot();
        played.push_back(round);
    }

    // Both players press space to go on; the first one's screen is cleared
    // while the other has not pressed yet.
    void ContinueGame() {
        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(0, "space"));
        ASSERT_TRUE(lab_.AwaitServer([](const Screenshot& s) {
            return IsCleared(s, ServerBoard(0));
        })) << "player 1's continue press was not taken; "
            << lab_.lastShot();
        ASSERT_NO_FATAL_FAILURE(lab_.PressKey(1, "space"));
    }

    quib::testing::ScratchDirectory scratch_;
    LabSession lab_{scratch_.path()};
    int readmeVariety_ = 0;
};

TEST_F(GameSession, ThreeRoundsPlayedThroughTheWindowsAreRecorded) {
    const std::vector<std::string> figures = ListedFigures(lab_.serverDir() / "grafik");
    ASSERT_FALSE(figures.empty());
    // Player 2 gets a figure of its own when there is a second one; its
    // list starts with the prompt and "<- Selbe".
    const std::size_t second = figures.size() > 1 ? 1 : 0;
    const GameChoices choices{figures[0], figures[second], kSubjects[0], kSubjects[1]};

    ASSERT_NO_FATAL_FAILURE(lab_.CreateSubject(0, kSubjects[0]));
    ASSERT_NO_FATAL_FAILURE(lab_.CreateSubject(1, kSubjects[1]));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kLevelList, 1));    // "Level 1 - Farben"
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kSpeedList, 4));    // "augenblicklich"
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kDisplayList, 2));  // "offen"
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kFigure1List, 1));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kFigure2List, static_cast<int>(second) + 1));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kStart1List, 2));  // "Links Oben"
    ASSERT_NO_FATAL_FAILURE(lab_.ClickServer(kStartToggle));

    std::vector<PlayedRound> played;
    ASSERT_NO_FATAL_FAILURE(PlayRound(0, Plan::Win, false, played));
    ASSERT_NO_FATAL_FAILURE(ContinueGame());
    ASSERT_NO_FATAL_FAILURE(PlayRound(1, Plan::Win, false, played));
    ASSERT_NO_FATAL_FAILURE(ContinueGame());
    ASSERT_NO_FATAL_FAILURE(PlayRound(2, Plan::Lose, true, played));
    ASSERT_TRUE(played[0].Won());
    ASSERT_TRUE(played[1].Won());

    CheckRecords(lab_.serverDir(), choices, played);
    // And quib_export makes of them what the files hold.
    lab_.Stop();
    CheckExport(lab_.serverDir(), lab_.serverDir().parent_path() / "tables");
}

// The lines of the session file of the run, by event kind and seat, with
// their game and round.
std::string SessionEventText(const server::SessionEvent& event) {
    const auto number = [](const auto& value) {
        return value ? std::to_string(*value) : std::string();
    };
    return std::string(server::SessionEventCode(event.kind)) + " " + number(event.seat) + " " +
           number(event.game) + " " + number(event.round);
}

TEST_F(GameSession, APlayerKilledMidRoundRetakesItsSeatAndTheSessionFileTellsIt) {
    ASSERT_NO_FATAL_FAILURE(lab_.CreateSubject(0, kSubjects[0]));
    ASSERT_NO_FATAL_FAILURE(lab_.CreateSubject(1, kSubjects[1]));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kLevelList, 1));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kSpeedList, 4));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kDisplayList, 2));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kFigure1List, 1));
    ASSERT_NO_FATAL_FAILURE(lab_.ChooseSetting(kStart1List, 2));
    ASSERT_NO_FATAL_FAILURE(lab_.ClickServer(kStartToggle));
    PlayedRound round;
    Rect starts[2];
    ASSERT_NO_FATAL_FAILURE(StartFirstRound(round));
    ASSERT_NO_FATAL_FAILURE(AwaitRunningRound(round, starts));

    ASSERT_NO_FATAL_FAILURE(lab_.KillPlayer(1));
    ASSERT_NO_FATAL_FAILURE(lab_.RestartPlayer(1));
    const fs::path sessionFile = lab_.serverDir() / "sessions" / "s000001.csv";
    const auto events = [&] {
        std::vector<std::string> kinds;
        for (const auto& [line, event] :
             server::ParseSessionFile(ReadWholeFile(sessionFile).value_or("")).events) {
            kinds.push_back(SessionEventText(event));
        }
        return kinds;
    };
    // The returning program names its computer with its first reply.
    ASSERT_TRUE(WaitFor([&] { return events().size() >= 6; }, 10s));
    // The round goes on and is ended by both players (the figures stayed
    // where they started); the next one runs without trouble and ends the
    // game.
    ASSERT_NO_FATAL_FAILURE(lab_.PressKey(0, "space"));
    ASSERT_TRUE(lab_.AwaitServer([](const Screenshot& s) { return StatusIs(s, 0, kReady); }))
        << "player 1 could not end the round; " << lab_.lastShot();
    ASSERT_NO_FATAL_FAILURE(lab_.PressKey(1, "space"));
    ASSERT_TRUE(
        WaitFor([&] { return fs::exists(lab_.serverDir() / "log" / "r000000.csv"); }, kStepLimit));
    ASSERT_NO_FATAL_FAILURE(ContinueGame());
    std::vector<PlayedRound> played;
    ASSERT_NO_FATAL_FAILURE(PlayRound(1, Plan::Win, true, played));
    // SIGTERM: the server ends through its shutdown, with the file's last
    // line; the players' programs end first, and the server may or may not
    // see them go before it ends.
    lab_.Stop();

    const server::SessionFile session =
        server::ParseSessionFile(ReadWholeFile(sessionFile).value_or(""));
    EXPECT_TRUE(session.headerRead);
    EXPECT_TRUE(session.problems.empty()) << session.problems.front().text;
    std::vector<std::string> seen = events();
    ASSERT_GE(seen.size(), 8u);
    EXPECT_EQ(seen.back(), "server_ended   ");
    seen.pop_back();
    while (seen.size() > 7 && seen.back().starts_with("seat_lost ")) {
        seen.pop_back();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "seat_taken 1  ",
                        "seat_taken 2  ",
                        "game_started 1 0 ",
                        "game_started 2 0 ",
                        "seat_lost 2 0 1",
                        "seat_taken 2 0 1",
                        "game_ended  0 ",
                    }));
    for (const auto& [line, event] : session.events) {
        if (event.seat) {
            EXPECT_EQ(event.address, "127.0.0.1") << line;
            EXPECT_FALSE(event.host.empty()) << line;
        }
    }
    const server::RecordsCheck check =
        server::CheckRecords(lab_.serverDir(), server::ServerTexts());
    for (const server::RecordProblem& problem : check.problems) {
        ADD_FAILURE() << server::ProblemLine(problem);
    }
    // The export flags the round the player was lost in, and only that one.
    const fs::path tables = lab_.serverDir().parent_path() / "tables";
    CheckExport(lab_.serverDir(), tables);
    EXPECT_EQ(ExportedCells(tables / "rounds.csv", {"game", "round", "connection_lost"}),
              (std::vector<std::string>{"0 1 1", "0 2 0"}));
}

}  // namespace
}  // namespace quib::e2e
