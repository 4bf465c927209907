#pragma once

#include <filesystem>

namespace quib::bench {

struct SoakOptions {
    int rounds = 2000;  // at least this many, over all games
    int games = 4;      // the experimenter ends and starts a game in between
    int paceMs = 60;    // the bots' least time between two key presses
    int moves = 2;      // the bots' random arrow presses per round
    // Keeps the server's folder (records, output, screenshots) here; empty:
    // a scratch folder removed at the end.
    std::filesystem::path keepDir;
};

// A long session on a private X server and network: the real server, set up
// through its window, and two quib_bot players playing `rounds` rounds in
// `games` games, the experimenter ending each game after a round and
// starting the next. Meanwhile the server's resident size is sampled;
// afterwards every record file is checked against the others
// (CheckRecords, as quib_server --check-records does) and the memory for growth. Prints its
// progress and the findings; problems are gtest failures, so call it from a test body.
void RunSoak(const SoakOptions& options);

}  // namespace quib::bench
