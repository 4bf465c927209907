#pragma once

// What a long game must have left in the server's folder, checked across
// files: every round has its round file, each game file one line per round
// of its game, each position file one start line per round and one line per
// arrival the round file logged, and the subject totals are the sums of the
// subjects' game rows. Pure reading: no process, no clock.

#include <filesystem>
#include <string>
#include <vector>

namespace quib::bench {

struct SoakRecords {
    int games = 0;
    int rounds = 0;
    int wonRounds = 0;
    // One sentence per inconsistency found; empty when the records agree.
    std::vector<std::string> problems;
};

// Reads log/ and log2/ below `serverDir`: the round files r*.csv, the game
// files g*.csv of both folders and the subject files p*.csv.
SoakRecords CheckSoakRecords(const std::filesystem::path& serverDir);

}  // namespace quib::bench
