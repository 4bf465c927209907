#pragma once

// A lab's working folder as the server leaves it after many sessions, made
// without a network, a window or players: subjects are created and commented
// by the functions behind the experimenter's window, every game is set up
// and played by the server's own game (its round set-up, moves, judgement
// and counters) with the players' keys pressed on a simulated timeline, and
// every finished round goes into the files through the server's record
// functions. quib_export's benchmark measures on such folders of any size,
// and tests take a small one wherever they need records that agree.

#include <array>
#include <filesystem>
#include <random>

namespace quib::testing {

// How the finished rounds reach the files.
enum class LabWriting {
    // The running server's RecordWriter: each round's files are staged,
    // flushed to the disk and renamed under the journal, some 17 fsync calls
    // a round, and the round numbers are looked up in log/ before each round
    // as the server does. Faithful to the last system call, but a disk needs
    // minutes for a few thousand rounds.
    Server,
    // The texts of the same record functions the RecordWriter calls, each
    // file written once without flushing: a round file when its round ends,
    // a game's game and position files and its two subjects' files when the
    // game ends (the writer's reading back of those files between rounds
    // happens in memory). Gives the same bytes as Server (a test compares
    // both), fast enough for a hundred thousand rounds.
    Direct,
};

struct SyntheticLabOptions {
    int rounds = 200;  // in all, spread unevenly over the games, at least one each
    int games = 4;     // 1 .. rounds
    int subjects = 6;  // at least 2; every game seats two different ones
    LabWriting writing = LabWriting::Direct;
};

// What was written, counted the way the records check counts.
struct SyntheticLab {
    int games = 0;
    int rounds = 0;
    int wonRounds = 0;
    int subjects = 0;
    std::array<int, 6> roundsAtLevel{};  // [level - 1]
    int openRounds = 0;                  // played with the partner's board open
    int keyEvents = 0;                   // "Taste" lines of all round files
    int arrivals = 0;                    // "Position" lines of all round files
};

// Writes the lab into `workDir` (made when missing; it must not hold a log/
// folder yet): the German language file the server writes at its first
// start (quib_server_de.lang), log/ with the subject, round and game files,
// log2/ with the position files, and an empty grafik/. Games run on
// weekdays from half past eight, at every level 1 to 6, both displays and
// all speeds, and are won or lost as the players' planned end cells and the
// game's judgement decide. Everything drawn at random comes from `random`,
// so a seed gives the same bytes every time. Throws std::runtime_error when
// a file cannot be written or the game does not take a planned key.
SyntheticLab WriteSyntheticLab(const std::filesystem::path& workDir,
                               const SyntheticLabOptions& options, std::mt19937& random);

}  // namespace quib::testing
