#pragma once

// Whether a lab's record files agree with each other: every round file with
// its game's row, each game file's totals with its rows, each position file
// with its game file and the round files' arrivals, each subject file's
// totals with its rows and each row with its game. Reads log/ and log2/
// below a working folder and changes nothing. The server runs it for
// "quib_server --check-records"; the soak, the end-to-end and the robustness
// tests call it on the folders they leave behind. The session files
// (sessions/) and the lab's identity (lab_id.txt) are checked too, where
// they are (session_check.h).

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/texts.h"

namespace quib::server {

// What kind of disagreement a problem is; researchers' scripts and the
// export's problems.csv sort problems by it.
enum class ProblemKind {
    UnfinishedWrite,        // a temporary file or journal of an interrupted write
    UnreadableFile,         // a file that cannot be read
    ShortFile,              // fewer lines than its header
    UnreadableLine,         // a line or field that is not what the file has there
    WrongGameName,          // a game or position file naming another game
    MissingGameFile,        // a position file without its game file
    MissingPositionFile,    // a game file without its position file
    RoundNumbering,         // a game row numbered out of order
    RunningTotal,           // a row's points or series that does not follow
    GameTotal,              // a game header's totals against its rows
    MissingRoundFile,       // a row's round file is not there
    RoundListedTwice,       // two rows naming one round file
    RoundOfAnotherGame,     // a row naming a round file of another game
    RowAgainstRoundFile,    // a row's number, duration or result against its round file
    RoundNotListed,         // a round file no row of its game names
    PositionHeader,         // a position file's totals against its game file
    PositionNumbering,      // position lines numbered or ordered wrongly
    PositionLines,          // a round's position lines against its row and round file
    SubjectLayout,          // a subject file whose lines cannot be found
    SubjectRowTwice,        // two rows of one game in a subject file
    SubjectTotal,           // a subject file's totals against its rows
    SubjectRowAgainstGame,  // a subject's row against its game
    MissingSubjectFile,     // a game naming a subject file that is not there
    MissingSubjectRow,      // a subject file without the row of a game naming it
    SessionLine,            // a session file's line that is not as the server writes it
    SessionAgainstGames,    // a session event naming a round its game file has not got to
    LabId,                  // lab_id.txt without a valid identity
};

// Every kind, in the order above.
std::span<const ProblemKind> AllProblemKinds();

// The kind as a snake_case word: "missing_round_file".
std::string_view ProblemKindName(ProblemKind kind);
// What the kind means, in a sentence for researchers.
std::string_view ProblemKindMeaning(ProblemKind kind);

// One disagreement between the files.
struct RecordProblem {
    ProblemKind kind = ProblemKind::UnreadableLine;
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
