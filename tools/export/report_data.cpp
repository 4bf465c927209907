#include "tools/export/report_data.h"

#include "tools/export/tidy_csv_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <limits>
#include <map>
#include <system_error>

namespace quib::exporter {
namespace {

// The largest round number and round count read. A game of a million
// rounds, a few seconds each, would go on for weeks: a larger number is not
// from a session, and the charts would spend their width and their time on
// rounds that were never played.
constexpr long long kMostRounds = 1'000'000;

constexpr std::string_view kGamesFile = "games.csv";
constexpr std::string_view kRoundsFile = "rounds.csv";
constexpr std::string_view kProblemsFile = "problems.csv";

// The columns read from games.csv, in the order of kGameColumns.
namespace g {
constexpr std::size_t kGame = 0, kStart = 1, kP1Subject = 2, kP1Name = 3, kP2Subject = 4,
                      kP2Name = 5, kP1Level = 6, kP2Level = 7, kSpeed = 8, kP1Display = 9,
                      kP2Display = 10, kP1Figure = 11, kP2Figure = 12, kRounds = 13,
                      kRoundsPresent = 14, kPoints = 15, kHighscore = 16, kPlayMs = 17,
                      kEnding = 18;
}  // namespace g
constexpr std::array<std::string_view, 19> kGameColumns = {
    "game",           "start",  "p1_subject", "p1_name",    "p2_subject", "p2_name",   "p1_level",
    "p2_level",       "speed",  "p1_display", "p2_display", "p1_figure",  "p2_figure", "rounds",
    "rounds_present", "points", "highscore",  "play_ms",    "ending"};

// The columns read from rounds.csv, in the order of kRoundColumns.
namespace r {
constexpr std::size_t kGame = 0, kRound = 1, kDurationMs = 2, kWon = 3, kP1Level = 4, kP2Level = 5,
                      kP1Display = 6, kP2Display = 7, kP1Moves = 8, kP2Moves = 9;
}  // namespace r
constexpr std::array<std::string_view, 10> kRoundColumns = {
    "game",     "round",      "duration_ms", "won",      "p1_level",
    "p2_level", "p1_display", "p2_display",  "p1_moves", "p2_moves"};

// The columns read from problems.csv, in this order.
constexpr std::array<std::string_view, 3> kProblemColumns = {"file", "line", "kind"};

// One row's cells, taken by the report's own column order.
class Row {
  public:
    Row(const TidyCsvReader& reader, const std::vector<std::string>& cells,
        const std::vector<std::size_t>& index, std::span<const std::string_view> names,
        std::string_view file)
        : reader_(reader), cells_(cells), index_(index), names_(names), file_(file) {}

    const std::string& Text(std::size_t column) const { return cells_[index_[column]]; }

    // A whole number from `low` to `high`, or nothing for an empty cell.
    template <typename Number>
    bool Whole(std::size_t column, std::optional<Number>& out, long long low = 0,
               long long high = std::numeric_limits<Number>::max()) {
        const std::string& text = Text(column);
        out.reset();
        if (text.empty()) {
            return true;
        }
        long long value = 0;
        const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (code == std::errc::result_out_of_range ||
            (code == std::errc() && end == text.data() + text.size() &&
             (value < low || value > high))) {
            return Fail(column, "out of range (" + std::to_string(low) + " to " +
                                    std::to_string(high) + ")");
        }
        if (code != std::errc() || end != text.data() + text.size()) {
            return Fail(column, "not a whole number");
        }
        out = static_cast<Number>(value);
        return true;
    }

    bool Fail(std::size_t column, const std::string& why) {
        error = std::string(file_) + " line " + std::to_string(reader_.RowLine()) + ": " +
                std::string(names_[column]) + " is \"" + Text(column) + "\", " + why;
        return false;
    }

    std::string error;

  private:
    const TidyCsvReader& reader_;
    const std::vector<std::string>& cells_;
    const std::vector<std::size_t>& index_;
    std::span<const std::string_view> names_;
    std::string_view file_;
};

// Opens `file` in `folder` and finds the `names` in its header.
bool OpenTable(const std::filesystem::path& folder, std::string_view file, std::ifstream& in,
               std::optional<TidyCsvReader>& reader, std::span<const std::string_view> names,
               std::vector<std::size_t>& index, std::string& error) {
    const std::filesystem::path path = folder / file;
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = std::string(file) + " is missing in " + folder.string();
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        error = std::string(file) + " cannot be read in " + folder.string();
        return false;
    }
    reader.emplace(in, std::string(file));
    if (!reader->ReadHeader()) {
        error = reader->Error();
        return false;
    }
    index.clear();
    for (const std::string_view name : names) {
        const std::optional<std::size_t> at = reader->ColumnIndex(name);
        if (!at) {
            error =
                std::string(file) + " line 1: the column \"" + std::string(name) + "\" is missing";
            return false;
        }
        index.push_back(*at);
    }
    return true;
}

}  // namespace

RecordsCheck ReadRecordsCheck(const std::filesystem::path& folder, std::size_t kept) {
    RecordsCheck check;
    std::error_code code;
    if (!std::filesystem::exists(folder / kProblemsFile, code)) {
        return check;
    }
    std::ifstream in;
    std::optional<TidyCsvReader> reader;
    std::vector<std::size_t> index;
    if (!OpenTable(folder, kProblemsFile, in, reader, kProblemColumns, index, check.error)) {
        check.state = RecordsCheck::State::Unreadable;
        return check;
    }
    std::vector<std::string> cells;
    while (reader->Next(cells)) {
        ++check.problems;
        if (check.first.size() < kept) {
            check.first.push_back({cells[index[0]], cells[index[1]], cells[index[2]]});
        }
    }
    if (!reader->Error().empty()) {
        check.error = reader->Error();
        check.state = RecordsCheck::State::Unreadable;
        return check;
    }
    check.state = RecordsCheck::State::Read;
    return check;
}

std::span<const std::string_view> GameColumnsRead() {
    return kGameColumns;
}
std::span<const std::string_view> RoundColumnsRead() {
    return kRoundColumns;
}

bool ReadReportData(const std::filesystem::path& folder, ReportData& data, std::string& error) {
    data = {};
    std::map<long long, std::size_t> gameAt;  // game number -> index in data.games
    std::vector<std::string> cells;
    std::vector<std::size_t> index;
    {
        std::ifstream in;
        std::optional<TidyCsvReader> reader;
        if (!OpenTable(folder, kGamesFile, in, reader, kGameColumns, index, error)) {
            return false;
        }
        while (reader->Next(cells)) {
            Row row(*reader, cells, index, kGameColumns, kGamesFile);
            ReportGame game;
            game.line = reader->RowLine();
            std::optional<long long> number;
            if (!row.Whole(g::kGame, number)) {
                error = row.error;
                return false;
            }
            if (!number) {
                row.Fail(g::kGame, "but every game has a number");
                error = row.error;
                return false;
            }
            game.game = *number;
            if (const auto [at, added] = gameAt.emplace(game.game, data.games.size()); !added) {
                error = std::string(kGamesFile) + " line " + std::to_string(game.line) + ": game " +
                        std::to_string(game.game) + " is also on line " +
                        std::to_string(data.games[at->second].line);
                return false;
            }
            game.start = row.Text(g::kStart);
            game.p1Name = row.Text(g::kP1Name);
            game.p2Name = row.Text(g::kP2Name);
            game.speed = row.Text(g::kSpeed);
            game.p1Display = row.Text(g::kP1Display);
            game.p2Display = row.Text(g::kP2Display);
            game.p1Figure = row.Text(g::kP1Figure);
            game.p2Figure = row.Text(g::kP2Figure);
            game.ending = row.Text(g::kEnding);
            if (!row.Whole(g::kP1Subject, game.p1Subject) ||
                !row.Whole(g::kP2Subject, game.p2Subject) ||
                !row.Whole(g::kP1Level, game.p1Level) || !row.Whole(g::kP2Level, game.p2Level) ||
                !row.Whole(g::kRounds, game.rounds, 0, kMostRounds) ||
                !row.Whole(g::kRoundsPresent, game.roundsPresent, 0, kMostRounds) ||
                !row.Whole(g::kPoints, game.points) || !row.Whole(g::kHighscore, game.highscore) ||
                !row.Whole(g::kPlayMs, game.playMs)) {
                error = row.error;
                return false;
            }
            data.games.push_back(std::move(game));
        }
        if (!reader->Error().empty()) {
            error = reader->Error();
            return false;
        }
    }
    {
        std::ifstream in;
        std::optional<TidyCsvReader> reader;
        if (!OpenTable(folder, kRoundsFile, in, reader, kRoundColumns, index, error)) {
            return false;
        }
        while (reader->Next(cells)) {
            Row row(*reader, cells, index, kRoundColumns, kRoundsFile);
            std::optional<long long> game;
            std::optional<int> round;
            ReportRound read;
            if (!row.Whole(r::kGame, game) || !row.Whole(r::kRound, round, 1, kMostRounds) ||
                !row.Whole(r::kDurationMs, read.durationMs) ||
                !row.Whole(r::kWon, read.won, 0, 1) || !row.Whole(r::kP1Level, read.p1Level) ||
                !row.Whole(r::kP2Level, read.p2Level) || !row.Whole(r::kP1Moves, read.p1Moves) ||
                !row.Whole(r::kP2Moves, read.p2Moves)) {
                error = row.error;
                return false;
            }
            if (!game || !round) {
                row.Fail(game ? r::kRound : r::kGame, "but every round has one");
                error = row.error;
                return false;
            }
            read.round = *round;
            read.p1Display = row.Text(r::kP1Display);
            read.p2Display = row.Text(r::kP2Display);
            // A round of a game that games.csv lacks is shown, not dropped:
            // it gets a game of its own, of which nothing else is known.
            auto [at, added] = gameAt.emplace(*game, data.games.size());
            if (added) {
                ReportGame unknown;
                unknown.game = *game;
                data.games.push_back(std::move(unknown));
            }
            data.games[at->second].roundRows.push_back(std::move(read));
        }
        if (!reader->Error().empty()) {
            error = reader->Error();
            return false;
        }
    }
    std::sort(data.games.begin(), data.games.end(),
              [](const ReportGame& a, const ReportGame& b) { return a.game < b.game; });
    for (ReportGame& game : data.games) {
        std::stable_sort(
            game.roundRows.begin(), game.roundRows.end(),
            [](const ReportRound& a, const ReportRound& b) { return a.round < b.round; });
    }
    return true;
}

}  // namespace quib::exporter
