#pragma once

#include <gtest/gtest.h>
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "common/clock.h"
#include "common/work_folders.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/engine/engine.h"
#include "server/engine/network_thread.h"
#include "server/game/game_record.h"
#include "testing/scratch_directory.h"
#include "tests/support/records_agree.h"

namespace quib::testing {

// The server's engine on its own network thread, listening on an ephemeral
// port of 127.0.0.1, with a game the experimenter has started: level 1, the
// fastest figures, open partner boards, one figure picture for both, the
// start toggle down. Players are test clients on their own threads; every
// wait is bounded by a wall-clock deadline. Whatever a test played, the
// record files it leaves must agree with each other.
class LiveGame : public ::testing::Test {
  protected:
    static constexpr auto kDeadline = std::chrono::seconds(10);

    void SetUp() override { StartIn(dir.path()); }
    void TearDown() override {
        network.reset();
        if (!recordsDir_.empty()) {
            ExpectRecordsAgree(recordsDir_);
        }
    }

    // Starts the server with `workDir` as its working folder.
    void StartIn(const std::filesystem::path& workDir) {
        const WorkFolders folders = WorkFolders::In(workDir);
        for (const std::filesystem::path& folder : {folders.grafik, folders.log, folders.log2}) {
            std::filesystem::create_directories(folder);
        }
        // Written through a buffer: the folder's name need not be UTF-8.
        QImage figure(64, 64, QImage::Format_ARGB32);
        figure.fill(QColor(200, 40, 160));
        QByteArray png;
        QBuffer buffer(&png);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && figure.save(&buffer, "PNG"));
        WriteBytes(folders.grafik / "figur0.png", png.toStdString());

        recordsDir_ = workDir;
        engine = std::make_unique<server::Engine>(state, texts, folders);
        ASSERT_TRUE(engine->links().listener.Open(0));
        engine->StartLinks(MonotonicMilliseconds());

        server::GameSettings& settings = state.settings;
        settings.level = 1;
        settings.speed = 4;
        settings.speedText = "augenblicklich";
        settings.display = 2;
        settings.figure = {1, 1};
        settings.figureText = {"figur0.png", "<- Selbe"};
        settings.start = {2, 3};
        settings.startText = {"Links Oben", "Rechts Unten"};
        settings.startToggleDown = true;
        engine->game().BeginGameRecord(MonotonicMilliseconds(), server::CurrentLocalTime());
        state.gameState = server::SetUp;

        network = std::make_unique<server::NetworkThread>(*engine);
        network->Start();
    }

    std::uint16_t port() const { return engine->links().listener.port(); }

    template <typename Condition>
    static bool WaitFor(Condition done) {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    // Reads engine or state under the lock the network thread holds for its
    // passes.
    template <typename Reader>
    auto Locked(Reader read) {
        std::lock_guard guard(state.lock);
        return read();
    }

    bool Taken(int seat) {
        return Locked([&] { return engine->links().links[seat].connection >= 0; });
    }
    std::int32_t GameState() {
        return Locked([&] { return state.gameState; });
    }
    int RoundsRecorded() {
        return Locked([&] { return engine->game().gameRecord.rounds; });
    }

    ScratchDirectory dir;
    server::ServerState state;
    server::ServerTexts texts;
    std::unique_ptr<server::Engine> engine;
    std::unique_ptr<server::NetworkThread> network;

  private:
    std::filesystem::path recordsDir_;  // set once the folders are there
};

}  // namespace quib::testing
