#include "bench/soak/soak_run.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/lab_bench/lab_run.h"
#include "bench/lab_bench/proc_stats.h"
#include "protocol/server_port.h"
#include "server/core/texts.h"
#include "server/records/records_check.h"
#include "testing/e2e/child_group.h"
#include "testing/e2e/export_checks.h"
#include "testing/e2e/lab_session.h"
#include "testing/e2e/private_network.h"
#include "testing/e2e/wait_for.h"
#include "testing/e2e/window_layout.h"
#include "testing/scratch_directory.h"

namespace quib::bench {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A round of two bots takes well under two seconds; a minute without a new
// round file means the session is stuck.
constexpr auto kStallLimit = 60s;
// A game is over once no round file has come for this long after the
// experimenter asked to end it.
constexpr auto kQuietAfterEnd = 6s;
constexpr auto kMemorySamplePeriod = 10s;
constexpr double kSecondsPerRoundGuess = 0.6;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

int RoundFiles(const fs::path& serverDir) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(serverDir / "log", error)) {
        const std::string name = entry.path().filename().string();
        count += name.starts_with("r") && name.ends_with(".csv");
    }
    return count;
}

struct MemorySample {
    double seconds;
    long kb;
};

class Soak {
  public:
    Soak(const SoakOptions& options, const fs::path& root)
        : options_(options), lab_(root), root_(root) {}

    void Run() {
        start_ = Clock::now();
        ASSERT_NO_FATAL_FAILURE(lab_.Start(0));
        ASSERT_NO_FATAL_FAILURE(StartBots());
        ASSERT_NO_FATAL_FAILURE(SetUpGame(lab_, kSpeedInstant));
        for (int game = 0; game < options_.games; ++game) {
            const int target = (options_.rounds * (game + 1) + options_.games - 1) / options_.games;
            ASSERT_NO_FATAL_FAILURE(PlayUntil(target - 1));
            ASSERT_NO_FATAL_FAILURE(EndGame());
            std::cout << "soak: game " << game + 1 << " ended after " << RoundFiles(Dir())
                      << " rounds in all, " << Minutes() << " min" << std::endl;
            if (game + 1 < options_.games) {
                ASSERT_NO_FATAL_FAILURE(StartNextGame());
            }
        }
        Sample();
        for (e2e::ChildGroup& bot : bots_) {
            EXPECT_TRUE(bot.Running()) << "a bot ended early; see " << root_ / "bot*.out";
            bot.Stop();
        }
        EXPECT_TRUE(lab_.serverPid() > 0 && ::kill(lab_.serverPid(), 0) == 0)
            << "the server ended; see server.out";
        lab_.Stop();
        CheckRecords();
        CheckMemory();
        std::cout << "soak: " << Minutes() << " min in all" << std::endl;
    }

  private:
    const fs::path& Dir() const { return lab_.serverDir(); }
    std::string Minutes() const {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", Seconds(Clock::now() - start_) / 60);
        return text;
    }

    void StartBots() {
        for (int seat = 0; seat < 2; ++seat) {
            const std::string n = std::to_string(seat + 1);
            std::string error;
            ASSERT_TRUE(bots_[seat].Spawn(
                {{QUIB_BOT_PATH, "--pace", std::to_string(options_.paceMs), "--moves",
                  std::to_string(options_.moves), "--seed", n, "--name", "soak-" + n},
                 root_,
                 {},
                 root_ / ("bot" + n + ".out"),
                 {}},
                &error))
                << error;
            // The server seats the players in the order they connect.
            ASSERT_TRUE(e2e::WaitFor(
                [&] { return e2e::EstablishedTo(protocol::kServerPort) == seat + 1; }, 30s))
                << "bot " << n << " did not connect";
        }
    }

    void Sample() {
        if (const auto kb = StatusKb(lab_.serverPid(), "VmRSS")) {
            memory_.push_back({Seconds(Clock::now() - start_), *kb});
        }
        lastSample_ = Clock::now();
    }

    // Waits until `rounds` round files exist, sampling the server's memory
    // and reporting progress on the way.
    void PlayUntil(int rounds) {
        int seen = RoundFiles(Dir());
        auto lastNew = Clock::now();
        auto lastReport = Clock::now();
        while (seen < rounds) {
            std::this_thread::sleep_for(500ms);
            const int now = RoundFiles(Dir());
            if (now != seen) {
                seen = now;
                lastNew = Clock::now();
            }
            ASSERT_LT(Clock::now() - lastNew, kStallLimit)
                << "no round for a minute after " << seen << " rounds; see " << root_;
            ASSERT_TRUE(bots_[0].Running() && bots_[1].Running()) << "a bot ended; see " << root_;
            if (Clock::now() - lastSample_ >= kMemorySamplePeriod) {
                Sample();
            }
            if (Clock::now() - lastReport >= 60s) {
                lastReport = Clock::now();
                std::cout << "soak: " << seen << " rounds, " << Minutes() << " min, server "
                          << (memory_.empty() ? 0 : memory_.back().kb) << " kB" << std::endl;
            }
        }
    }

    // "Spiel nach Runde beenden": the round under way is the game's last.
    void EndGame() {
        ASSERT_NO_FATAL_FAILURE(lab_.ClickServer(e2e::kStartToggle));
        int seen = RoundFiles(Dir());
        auto lastNew = Clock::now();
        while (Clock::now() - lastNew < kQuietAfterEnd) {
            std::this_thread::sleep_for(250ms);
            const int now = RoundFiles(Dir());
            if (now != seen) {
                seen = now;
                lastNew = Clock::now();
            }
        }
    }

    void StartNextGame() {
        const int before = RoundFiles(Dir());
        ASSERT_NO_FATAL_FAILURE(lab_.ClickServer(e2e::kStartToggle));
        ASSERT_TRUE(e2e::WaitFor([&] { return RoundFiles(Dir()) > before; }, 30s))
            << "the next game brought no round; " << (lab_.ShotOfServer(), lab_.lastShot());
    }

    void CheckRecords() {
        const server::RecordsCheck records = server::CheckRecords(Dir(), server::ServerTexts());
        ASSERT_EQ(records.unusable, "");
        std::cout << "soak: " << records.rounds << " rounds (" << records.wonRounds << " won) in "
                  << records.games << " games" << std::endl;
        EXPECT_GE(records.rounds, options_.rounds);
        EXPECT_EQ(records.games, options_.games);
        // The session began in an empty folder: every game a subject row
        // names must still be there.
        EXPECT_EQ(records.archivedGameRows, 0) << "subject rows name games that are not in log/";
        for (const server::RecordProblem& problem : records.problems) {
            ADD_FAILURE() << server::ProblemLine(problem);
        }
        if (records.problems.empty()) {
            std::cout << "soak: every round has its round file, game line and position lines; "
                         "the subject totals are the sums of their rows"
                      << std::endl;
        }
        // What the researchers get out of it: quib_export's tables agree
        // with the files.
        const fs::path exported = Dir().parent_path() / "export";
        e2e::CheckExport(Dir(), exported);
        if (!::testing::Test::HasFailure()) {
            std::cout << "soak: quib_export found nothing to report; its tables agree with the "
                         "files ("
                      << exported.string() << ")" << std::endl;
        }
    }

    // Flat: the largest resident size of the last quarter of the run is no
    // more than 2 % above that of the second quarter (the first is start-up
    // and the first drawing of every picture).
    void CheckMemory() {
        ASSERT_GE(memory_.size(), 8u) << "too few memory samples for a verdict";
        const std::size_t q = memory_.size() / 4;
        const auto largest = [&](std::size_t from, std::size_t to) {
            long kb = 0;
            for (std::size_t i = from; i < to; ++i) {
                kb = std::max(kb, memory_[i].kb);
            }
            return kb;
        };
        const long early = largest(q, 2 * q);
        const long late = largest(memory_.size() - q, memory_.size());
        std::cout << "soak: server resident size (s: kB):";
        for (const MemorySample& s : memory_) {
            std::printf(" %.0f: %ld,", s.seconds, s.kb);
        }
        std::cout << "\nsoak: largest in the second quarter " << early << " kB, in the last "
                  << late << " kB" << std::endl;
        EXPECT_LE(late, early + early / 50) << "the server's memory grew";
    }

    SoakOptions options_;
    e2e::LabSession lab_;
    fs::path root_;
    e2e::ChildGroup bots_[2];
    Clock::time_point start_;
    Clock::time_point lastSample_;
    std::vector<MemorySample> memory_;
};

}  // namespace

void RunSoak(const SoakOptions& options) {
    const double expected = options.rounds * kSecondsPerRoundGuess / 60;
    std::cout << "soak: " << options.rounds << " rounds in " << options.games
              << " games; expect about " << static_cast<int>(expected + 1)
              << " minutes; it stops by itself" << std::endl;
    e2e::ArmWatchdog(static_cast<unsigned>(options.rounds * 4 + 600));
    std::optional<quib::testing::ScratchDirectory> scratch;
    fs::path root = options.keepDir;
    if (root.empty()) {
        scratch.emplace();
        root = scratch->path();
    } else {
        fs::create_directories(root);
    }
    Soak soak(options, root);
    soak.Run();
    e2e::DisarmWatchdog();
}

}  // namespace quib::bench
