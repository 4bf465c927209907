#pragma once

// What the server must have written after a game whose rounds the test
// played itself: the round files, the game and position files and both
// subject files, checked against the boards the test read off the screen
// and the moves it made.

#include <filesystem>
#include <string>
#include <vector>

#include "testing/e2e/board_reader.h"

namespace quib::e2e {

// Which arrow was pressed: the word in the round file and the cell change.
enum class Arrow { Right, Down };

struct PlayedRound {
    Board seat0{};
    Board seat1{};
    int end0 = 0;  // cell index where each figure ended
    int end1 = 0;
    std::vector<Arrow> arrows0;  // accepted moves, in order
    std::vector<Arrow> arrows1;
    bool Won() const { return seat0[end0] == seat1[end1]; }
};

// The settings the experimenter chose for the game.
struct GameChoices {
    std::string figure0;
    std::string figure1;
    std::string subject0;  // names
    std::string subject1;
};

// The lines of a text file without their line feeds.
std::vector<std::string> ReadLines(const std::filesystem::path& file);
std::vector<std::string> SplitFields(const std::string& line);

// Checks every file the game left in `serverDir`'s log/ and log2/, with
// gtest expectations; subject numbers 0 and 1, one game numbered 0, the
// figures starting top left, level 1, open display, speed "augenblicklich".
// Then the records check of quib_server --check-records must find nothing.
void CheckRecords(const std::filesystem::path& serverDir, const GameChoices& choices,
                  const std::vector<PlayedRound>& rounds);

}  // namespace quib::e2e
