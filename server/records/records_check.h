#pragma once

// Whether a lab's record files agree with each other: every round file with
// its game's row, each game file's totals with its rows, each position file
// with its game file and the round files' arrivals, each subject file's
// totals with its rows and each row with its game. Reads log/ and log2/
// below a working folder and changes nothing. The server runs it for
// "quib_server --check-records"; the soak, the end-to-end and the robustness
// tests call it on the folders they leave behind.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "server/core/texts.h"

namespace quib::server {

// One disagreement between the files.
struct RecordProblem {
    std::string file;      // relative to the working folder, "/" separated: "log/g000003.csv"
    std::size_t line = 0;  // from 1; 0 when it concerns the file as a whole
    std::string text;      // Windows-1252: it may quote a file's text
};

struct RecordsCheck {
    // Why the folder could not be checked at all (it or its log/ is no
    // folder that can be listed); empty when it was checked.
    std::string unusable;
    int games = 0;             // game names in log/ or log2/
    int rounds = 0;            // round files
    int wonRounds = 0;         // round files of won rounds
    int subjects = 0;          // subject files
    int archivedGameRows = 0;  // subject rows of games in neither log/ nor log2/
    // Ordered by file name, then line; empty when everything agrees.
    std::vector<RecordProblem> problems;
};

// Checks the records below `workDir`. `texts` are the language texts the
// server would load there: subject files are read by their labels.
RecordsCheck CheckRecords(const std::filesystem::path& workDir, const ServerTexts& texts);

// "log/g000003.csv:16: Runden: 41, but 40 round lines" ("file: text" for a
// problem of the file as a whole).
std::string ProblemLine(const RecordProblem& problem);

// What was checked and how many problems were found, as one line.
std::string SummaryLine(const RecordsCheck& check);

}  // namespace quib::server
