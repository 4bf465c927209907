#include "bench/soak/soak_records.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "testing/e2e/record_checks.h"

namespace quib::bench {

namespace fs = std::filesystem;

namespace {

// Line numbers (from 0) of the record layouts.
constexpr std::size_t kRoundGameLine = 1;      // Spiel:;000000;Datei:;g000000.csv
constexpr std::size_t kRoundNumberLine = 2;    // Runde:;1
constexpr std::size_t kRoundDurationLine = 7;  // Spieldauer:;ms
constexpr std::size_t kRoundResultLine = 8;    // Ergebniss:;Gewonnen
constexpr std::size_t kRoundFirstEvent = 25;
constexpr std::size_t kGamePointsLine = 14;  // Punkte:;p;Highscore:;h
constexpr std::size_t kGameRoundsLine = 15;  // Runden:;n
constexpr std::size_t kGameFirstRow = 19;
constexpr std::size_t kSubjectPointsLine = 6;  // Punkte;p;Rekord;r
constexpr std::size_t kSubjectRoundsLine = 7;  // Runden;n;Spielzeit;ms;hh:mm:ss
constexpr std::size_t kSubjectFirstRow = 10;

std::optional<long long> Number(const std::string& text) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoll(text);
}

// Field `index` of line `line` as a number; nullopt when missing.
std::optional<long long> NumberAt(const std::vector<std::string>& lines, std::size_t line,
                                  std::size_t index) {
    if (line >= lines.size()) {
        return std::nullopt;
    }
    const std::vector<std::string> fields = e2e::SplitFields(lines[line]);
    return index < fields.size() ? Number(fields[index]) : std::nullopt;
}

// Files of `folder` named <letter><digits>.csv, in name order.
std::vector<fs::path> Numbered(const fs::path& folder, char letter) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 5 && name[0] == letter && name.ends_with(".csv") &&
            Number(name.substr(1, name.size() - 5))) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct RoundFile {
    std::string name;
    long long number = 0;  // within its game, from 1
    long long durationMs = 0;
    bool won = false;
    int arrivals = 0;  // "Position" events
};

struct GameRounds {
    std::vector<RoundFile> rounds;
    long long won = 0;     // rounds won
    long long playMs = 0;  // sum of the round durations
};

class Checker {
  public:
    explicit Checker(const fs::path& serverDir) : dir_(serverDir) {}

    SoakRecords Run() {
        ReadRoundFiles();
        for (auto& [gameFile, game] : games_) {
            CheckGameFile(gameFile, game);
            CheckPositionFile(gameFile, game);
        }
        for (const fs::path& subject : Numbered(dir_ / "log", 'p')) {
            CheckSubjectFile(subject);
        }
        result_.games = static_cast<int>(games_.size());
        return result_;
    }

  private:
    void Problem(const std::string& text) { result_.problems.push_back(text); }

    void ReadRoundFiles() {
        const std::vector<fs::path> files = Numbered(dir_ / "log", 'r');
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string name = files[i].filename().string();
            if (Number(name.substr(1, name.size() - 5)) != static_cast<long long>(i)) {
                Problem("round files are not numbered without gaps: " + name + " is file " +
                        std::to_string(i + 1));
            }
            ReadRoundFile(files[i]);
        }
        result_.rounds = static_cast<int>(files.size());
    }

    void ReadRoundFile(const fs::path& file) {
        const std::vector<std::string> lines = e2e::ReadLines(file);
        RoundFile round;
        round.name = file.filename().string();
        const std::vector<std::string> game = lines.size() > kRoundGameLine
                                                  ? e2e::SplitFields(lines[kRoundGameLine])
                                                  : std::vector<std::string>{};
        const auto number = NumberAt(lines, kRoundNumberLine, 1);
        const auto duration = NumberAt(lines, kRoundDurationLine, 1);
        if (game.size() < 4 || !number || !duration || lines.size() < kRoundFirstEvent) {
            Problem(round.name + " lacks its game, number, duration or event table");
            return;
        }
        round.number = *number;
        round.durationMs = *duration;
        round.won = lines[kRoundResultLine] == "Ergebniss:;Gewonnen";
        for (std::size_t i = kRoundFirstEvent; i < lines.size(); ++i) {
            const std::vector<std::string> event = e2e::SplitFields(lines[i]);
            round.arrivals += event.size() == 5 && event[3] == "Position";
        }
        result_.wonRounds += round.won;
        GameRounds& rounds = games_[game[3]];
        if (round.number != static_cast<long long>(rounds.rounds.size()) + 1) {
            Problem(round.name + " is round " + std::to_string(round.number) + " of " + game[3] +
                    ", expected " + std::to_string(rounds.rounds.size() + 1));
        }
        rounds.won += round.won;
        rounds.playMs += round.durationMs;
        rounds.rounds.push_back(round);
    }

    void CheckGameFile(const std::string& gameFile, const GameRounds& game) {
        const std::vector<std::string> lines = e2e::ReadLines(dir_ / "log" / gameFile);
        const std::size_t n = game.rounds.size();
        if (lines.size() != kGameFirstRow + n) {
            Problem(gameFile + " has " +
                    std::to_string(lines.size() - std::min(lines.size(), kGameFirstRow)) +
                    " round lines for " + std::to_string(n) + " round files");
        }
        if (NumberAt(lines, kGameRoundsLine, 1) != static_cast<long long>(n)) {
            Problem(gameFile + " counts other than " + std::to_string(n) + " rounds");
        }
        if (NumberAt(lines, kGamePointsLine, 1) != game.won) {
            Problem(gameFile + "'s points differ from its " + std::to_string(game.won) +
                    " won rounds");
        }
        for (std::size_t i = 0; i < n && kGameFirstRow + i < lines.size(); ++i) {
            const std::vector<std::string> row = e2e::SplitFields(lines[kGameFirstRow + i]);
            // Time since the game's start, the round's duration (both in ms
            // and as a clock), then the round's number and file.
            if (row.size() < 6 || Number(row[4]) != static_cast<long long>(i + 1) ||
                row[5] != game.rounds[i].name) {
                Problem(gameFile + " line " + std::to_string(kGameFirstRow + i + 1) +
                        " does not name round " + std::to_string(i + 1) + " (" +
                        game.rounds[i].name + ")");
            }
        }
    }

    // One line per round start and per arrival, the start line first, each
    // naming its round.
    void CheckPositionFile(const std::string& gameFile, const GameRounds& game) {
        const std::vector<std::string> lines = e2e::ReadLines(dir_ / "log2" / gameFile);
        std::map<long long, int> linesOfRound;
        long long previous = 0;
        for (std::size_t i = kGameFirstRow; i < lines.size(); ++i) {
            const std::vector<std::string> row = e2e::SplitFields(lines[i]);
            const auto round = row.size() == 17 ? Number(row[3]) : std::nullopt;
            if (!round || *round < previous) {
                Problem("log2/" + gameFile + " line " + std::to_string(i + 1) +
                        " names no round or goes back");
                continue;
            }
            previous = *round;
            ++linesOfRound[*round];
        }
        for (std::size_t i = 0; i < game.rounds.size(); ++i) {
            const RoundFile& round = game.rounds[i];
            const int expected = 1 + round.arrivals;
            const int found = linesOfRound[static_cast<long long>(i + 1)];
            if (found != expected) {
                Problem("log2/" + gameFile + " has " + std::to_string(found) + " lines of round " +
                        std::to_string(i + 1) + ", expected the start line and " +
                        std::to_string(round.arrivals) + " arrivals (" + round.name + ")");
            }
        }
        if (linesOfRound.size() > game.rounds.size()) {
            Problem("log2/" + gameFile + " has lines of rounds without a round file");
        }
    }

    // Totals against the sum of the game rows, and each row against its game.
    void CheckSubjectFile(const fs::path& file) {
        const std::string name = file.filename().string();
        const std::vector<std::string> lines = e2e::ReadLines(file);
        long long points = 0;
        long long record = 0;
        long long rounds = 0;
        long long playMs = 0;
        for (std::size_t i = kSubjectFirstRow; i < lines.size(); ++i) {
            const std::vector<std::string> row = e2e::SplitFields(lines[i]);
            // Game file, time, partner, points, best streak, rounds, ms.
            std::array<long long, 4> values{};
            bool numbers = row.size() >= 7;
            for (std::size_t k = 0; numbers && k < values.size(); ++k) {
                const std::optional<long long> value = Number(row[3 + k]);
                numbers = value.has_value();
                values[k] = value.value_or(0);
            }
            if (!numbers) {
                Problem(name + " line " + std::to_string(i + 1) + " is not a game row");
                continue;
            }
            const auto [p, best, n, ms] = values;
            CheckSubjectRow(name, row[0], p, n, ms);
            points += p;
            record = std::max(record, best);
            rounds += n;
            playMs += ms;
        }
        if (NumberAt(lines, kSubjectPointsLine, 1) != points ||
            NumberAt(lines, kSubjectPointsLine, 3) != record) {
            Problem(name + "'s points or record are not the sum and best of its rows");
        }
        if (NumberAt(lines, kSubjectRoundsLine, 1) != rounds ||
            NumberAt(lines, kSubjectRoundsLine, 3) != playMs) {
            Problem(name + "'s rounds or play time are not the sums of its rows");
        }
    }

    void CheckSubjectRow(const std::string& subject, const std::string& gameFile, long long points,
                         long long rounds, long long playMs) {
        const auto game = games_.find(gameFile);
        if (game == games_.end()) {
            Problem(subject + " lists " + gameFile + ", of which there is no round file");
            return;
        }
        const GameRounds& played = game->second;
        if (rounds != static_cast<long long>(played.rounds.size()) || points != played.won ||
            playMs != played.playMs) {
            Problem(subject + "'s row of " + gameFile +
                    " differs from the game's rounds, points or play time");
        }
    }

    fs::path dir_;
    SoakRecords result_;
    std::map<std::string, GameRounds> games_;  // by game file name
};

}  // namespace

SoakRecords CheckSoakRecords(const fs::path& serverDir) {
    return Checker(serverDir).Run();
}

}  // namespace quib::bench
