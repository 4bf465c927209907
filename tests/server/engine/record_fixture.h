#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/core/message_sink.h"
#include "server/core/time_format.h"
#include "server/game/stimulus.h"
#include "testing/scratch_directory.h"
#include "tests/server/engine/game_fixture.h"

namespace quib::testing {

// Stands for the experimenter: keeps every failure box shown.
struct RecordingBoxes : server::MessageSink {
    std::vector<std::pair<std::string, std::string>> shown;  // title, text
    void ShowMessage(const std::string& title, const std::string& text) override {
        shown.emplace_back(title, text);
    }
};

// A begun game (g000000.csv, started at 50000 ms, 14:05:07 on 09.03.24) with
// the position folder log2/, a wall clock standing at 14:20:00, a recording
// message sink, and the settings' texts the headers name.
class RecordFixture : public GameFixture {
  protected:
    void SetUp() override {
        GameFixture::SetUp();
        engine->game().localClock = [this] { return clock; };
        state.settings.speedText = "Normal";
        state.settings.startText = {"Links Oben", "Rechts Unten"};
        // Rounds here are set up by hand; they are played open, as the
        // game's display setting says.
        for (server::SeatRecord& s : engine->game().seats) {
            s.playedDisplayMode = server::DisplayOpen;
        }
    }

    server::MessageSink* Boxes() override { return &boxes; }

    // Path text as the failure boxes show it.
    static std::string Shown(const std::filesystem::path& file) { return file.generic_string(); }

    // The round end's bookkeeping as RecordRound does it before the files
    // are written: the round ends at `endMs` and is judged, the game's
    // counters take it in.
    void EndRound(std::uint32_t endMs, bool won) {
        server::RoundRecord& round = engine->game().roundRecord;
        server::GameRecord& game = engine->game().gameRecord;
        round.endMs = endMs;
        round.won = won ? 1 : 0;
        for (server::SeatRecord& s : engine->game().seats) {
            s.displayMode = server::DisplayOpen;
        }
        game.rounds += 1;
        game.activeMs += static_cast<std::int32_t>(endMs - round.startMs);
        game.points += round.won;
        game.streak = won ? game.streak + 1 : 0;
        game.best = std::max(game.best, game.streak);
    }

    // The round's files as the round end writes them, from the game as it
    // stands; the outcome has been handed back to the game.
    server::RecordOutcome WriteRound(std::uint32_t writtenMs) {
        const server::FinishedRound round = engine->game().DescribeFinishedRound(writtenMs);
        // The round takes the game's position lines along, as RecordRound
        // hands them over.
        engine->game().positionLogText.clear();
        return engine->WriteRound(round);
    }

    // What RecordRound does after the files are written.
    void FinishRound() { engine->game().gameRecord.prevWon = engine->game().roundRecord.won; }

    static std::string ExpectedFile(std::string_view name) {
        return ReadBytes(std::filesystem::path(QUIB_TEST_DATA_DIR) / name);
    }

    RecordingBoxes boxes;
    server::LocalTime clock = {2024, 3, 9, 14, 20, 0};
};

// The number of ";"-separated fields of every line, in order.
inline std::vector<int> FieldCounts(std::string_view text) {
    std::vector<int> counts;
    int fields = 1;
    for (const char c : text) {
        if (c == ';') {
            ++fields;
        } else if (c == '\n') {
            counts.push_back(fields);
            fields = 1;
        }
    }
    return counts;
}

}  // namespace quib::testing
