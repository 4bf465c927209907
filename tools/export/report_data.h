#pragma once

// What the session report reads from the tidy tables: of games.csv and
// rounds.csv only the columns it shows, found by their names in the header,
// so that columns added to the tables leave the report as it is. An empty
// cell is a value not known.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quib::exporter {

struct ReportRound {
    int round = 0;
    std::optional<int> durationMs;
    std::optional<int> won;  // 1 won, 0 lost
    std::optional<int> p1Level;
    std::optional<int> p2Level;
    std::string p1Display;
    std::string p2Display;
    std::optional<int> p1Moves;
    std::optional<int> p2Moves;
};

struct ReportGame {
    long long game = 0;
    int line = 0;  // its line in games.csv; 0 for a game only rounds.csv names
    std::string start;
    std::optional<long long> p1Subject;
    std::string p1Name;
    std::optional<long long> p2Subject;
    std::string p2Name;
    std::optional<int> p1Level;
    std::optional<int> p2Level;
    std::string speed;
    std::string p1Display;
    std::string p2Display;
    std::string p1Figure;
    std::string p2Figure;
    std::optional<int> rounds;
    std::optional<int> roundsPresent;
    std::optional<int> points;
    std::optional<int> highscore;
    std::optional<long long> playMs;
    std::string ending;
    std::vector<ReportRound> roundRows;  // in the order of their round numbers
};

// What the records check found, as problems.csv beside the tables says.
struct RecordsCheck {
    enum class State {
        Unknown,     // no problems.csv: the tables come from elsewhere
        Read,        // problems.csv read: `problems` rows, the first in `first`
        Unreadable,  // problems.csv is there but cannot be read: `error` says why
    };
    struct Problem {
        std::string file;
        std::string line;
        std::string kind;
    };
    State state = State::Unknown;
    long long problems = 0;
    std::vector<Problem> first;
    std::string error;
};

struct ReportData {
    std::vector<ReportGame> games;  // in the order of their game numbers
    RecordsCheck check;
};

// Reads games.csv and rounds.csv in `folder` into `data`. False when a table
// is missing, lacks a column the report reads or has a row that cannot be
// read; then `error` names the file (and the line).
bool ReadReportData(const std::filesystem::path& folder, ReportData& data, std::string& error);

// Reads problems.csv in `folder`, which every export writes beside the
// tables, keeping its first `kept` rows. A table that is missing or cannot
// be read leaves the report's other contents as they are, and says so.
RecordsCheck ReadRecordsCheck(const std::filesystem::path& folder, std::size_t kept);

// The columns the report reads from each table.
std::span<const std::string_view> GameColumnsRead();
std::span<const std::string_view> RoundColumnsRead();

}  // namespace quib::exporter
