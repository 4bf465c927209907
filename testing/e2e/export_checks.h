#pragma once

// What quib_export makes of the records a session left: the real program
// run on the server's working folder must find nothing to report, and its
// tables must agree with the record files, read here on their own.

#include <filesystem>
#include <string>
#include <vector>

namespace quib::e2e {

// Runs quib_export on `serverDir` into `outDir` and checks, with gtest
// expectations: exit status 0; a row of rounds.csv per round file with the
// file's game, round, duration and result; a row of events.csv per event
// line of the round files; a row of positions.csv per line of the position
// files; a row of games.csv per game file with its rounds and points; a row
// of subjects.csv per subject file; problems.csv empty; a row of
// connections.csv per event line of the session files, each round's
// connection losses as the session files name them, and the lab folder's
// identity in every table.
void CheckExport(const std::filesystem::path& serverDir, const std::filesystem::path& outDir);

// The cells of `columns` of every row of an exported table, each row's
// joined by blanks ("0 1 1"), in the table's order.
std::vector<std::string> ExportedCells(const std::filesystem::path& table,
                                       const std::vector<std::string>& columns);

}  // namespace quib::e2e
