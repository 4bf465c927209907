#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/work_folders.h"
#include "server/core/time_format.h"
#include "server/engine/engine.h"
#include "server/game/game_record.h"
#include "server/game/random_source.h"
#include "testing/scratch_directory.h"
#include "tests/server/engine/engine_fixture.h"

namespace quib::testing {

// A random source whose draws the test decides: one queue of values per
// range n, so that a test scripts the colours, shapes and coin flips it
// needs without depending on how draws of other ranges interleave. An empty
// queue yields 0.
class ScriptedRandom final : public server::RandomSource {
  public:
    void Reseed(std::uint32_t seed) override { seeds.push_back(seed); }

    int Random(int n) override {
        std::deque<int>& queue = queues_[n];
        if (queue.empty()) {
            return 0;
        }
        const int value = queue.front();
        queue.pop_front();
        EXPECT_LE(value, n) << "scripted value out of the range asked for";
        return value;
    }

    void Queue(int n, const std::vector<int>& values) {
        for (int value : values) {
            queues_[n].push_back(value);
        }
    }

    std::vector<std::uint32_t> seeds;

  private:
    std::map<int, std::deque<int>> queues_;
};

// An engine with a scratch working directory (grafik/, log/, log2/), a scripted
// random source, a game begun, and game settings that every choice has been
// made in: level 1, "offen", the same figure for both, fixed start cells.
// The engine is driven by calling its game operations directly; no client
// connects.
class GameFixture : public EngineFixture {
  protected:
    void SetUp() override {
        const WorkFolders folders = Folders();
        for (const std::filesystem::path& folder : {folders.grafik, folders.log, folders.log2}) {
            std::filesystem::create_directories(folder);
        }
        EngineFixture::SetUp();
        auto scripted = std::make_unique<ScriptedRandom>();
        random = scripted.get();
        engine->game().randomSource = std::move(scripted);

        server::GameSettings& settings = state.settings;
        settings.level = 1;
        settings.speed = 1;
        settings.display = 2;
        settings.figure = {1, 1};
        settings.figureText = {"figur0.png", "<- Selbe"};
        settings.start = {2, 3};
        engine->game().BeginGameRecord(now, kGameDate);
    }

    WorkFolders Folders() const override { return WorkFolders::In(workDir()); }

    std::filesystem::path workDir() const { return scratch.path(); }
    std::filesystem::path grafikDir() const { return Folders().grafik; }
    std::filesystem::path logDir() const { return Folders().log; }
    std::filesystem::path log2Dir() const { return Folders().log2; }

    server::SeatRecord& seat(int s) { return engine->game().seats[s]; }

    // The keys the seat's last reply reported: exactly these are down.
    void Report(int s, std::initializer_list<std::int32_t> codes) {
        engine->game().keyTable[s].fill(0);
        for (std::int32_t code : codes) {
            engine->game().keyTable[s][code] = 1;
        }
    }

    // The lines queued for the log view, oldest first, without their time
    // stamps.
    std::vector<std::string> TakeLogTexts() {
        std::vector<std::string> lines = state.logQueue.TakeNewestFirst();
        std::vector<std::string> oldestFirst;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            oldestFirst.push_back(it->substr(it->find(" | ") + 3));
        }
        return oldestFirst;
    }

    static constexpr server::LocalTime kGameDate = {2024, 3, 9, 14, 5, 7};

    ScratchDirectory scratch;
    ScriptedRandom* random = nullptr;
};

}  // namespace quib::testing
