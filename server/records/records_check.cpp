#include "server/records/records_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <variant>

#include "common/file_io.h"
#include "common/work_folders.h"
#include "server/core/time_format.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"
#include "server/records/record_transaction.h"
#include "server/records/session_check.h"
#include "server/records/subject_content.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

// The game and round files are written by the program alone and read by the
// researchers' scripts by position, so they are read by position here too;
// their labels depend on the language file and are not looked at. Lines are
// counted from 0.
constexpr std::size_t kRoundGameLine = 1;      // Spiel:;000000;Datei:;g000000.csv
constexpr std::size_t kRoundNumberLine = 2;    // Runde:;1
constexpr std::size_t kRoundDurationLine = 7;  // Spieldauer:;6200
constexpr std::size_t kRoundResultLine = 8;    // Ergebniss:;Gewonnen
constexpr std::size_t kRoundFirstEvent = 25;   // after the column titles
// The header the game file (log/) and the position file (log2/) share.
constexpr std::size_t kGameNameLine = 1;                         // as in the round file
constexpr std::array<std::size_t, 2> kGamePlayerLines = {3, 4};  // ...;Datei:;p000012.csv
constexpr std::size_t kGamePointsLine = 14;                      // Punkte:;3;Highscore:;3
constexpr std::size_t kGameRoundsLine = 15;                      // Runden:;4
constexpr std::size_t kGameTimeLine = 16;  // Spielzeit:;00:00:28;davon aktiv:;00:00:21
constexpr std::size_t kGameFirstRow = 19;  // after the column titles
constexpr std::size_t kGameRowFields = 23;
constexpr std::size_t kPositionFields = 17;

// Words the program writes in every language.
constexpr std::string_view kLostWord = "Verloren";
constexpr std::string_view kArrivalWord = "Position";

// What an interrupted run of the server leaves: the hidden temporary file of
// an atomic write ("." + target name + "." + eight lowercase letters), and
// the journal of a round's files that were being written together. The
// server completes or removes both when it starts.
constexpr std::size_t kTemporaryTailLetters = 8;
constexpr std::string_view kUnfinishedWrite =
    "unfinished write; start the server once to complete it";

using Lines = std::vector<std::string>;

// Field n (from 1) of line `line`; empty past the end.
std::string_view FieldAt(const Lines& lines, std::size_t line, int n) {
    return line < lines.size() ? CsvField(lines[line], n) : std::string_view();
}

std::string_view LastField(std::string_view line) {
    const std::size_t separator = line.rfind(';');
    return separator == std::string_view::npos ? line : line.substr(separator + 1);
}

std::size_t FieldCount(std::string_view line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ';')) + 1;
}

// Whether the rounds line's hh:mm:ss says the play time in ms: as the server
// writes it, or as a spreadsheet rewrote it as a time of day ("12:00:21 AM",
// "0:00:21"), which can tell the time only within a day.
bool SamePlayClock(std::string_view clock, long long playMs) {
    if (clock == FormatClock(playMs / 1000)) {
        return true;
    }
    constexpr long long kDay = 24 * 60 * 60;
    const std::optional<int> seconds = SecondsOfDay(clock);
    return seconds && playMs >= 0 && *seconds == playMs / 1000 % kDay;
}

bool IsUnfinishedWrite(std::string_view name) {
    if (name == kJournalName) {
        return true;
    }
    // "." + at least one character of the target + "." + the tail.
    if (name.size() < kTemporaryTailLetters + 3 || name[0] != '.') {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - kTemporaryTailLetters);
    return name[name.size() - kTemporaryTailLetters - 1] == '.' &&
           std::all_of(tail.begin(), tail.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::optional<Lines> ReadLines(const fs::path& file) {
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return std::nullopt;
    }
    Lines lines;
    for (const std::string_view line : SplitLines(*text)) {
        lines.emplace_back(line);
    }
    return lines;
}

std::string LogFile(std::string_view name) {
    return std::string(kLogFolderName) + "/" + std::string(name);
}

std::string PositionFile(std::string_view name) {
    return std::string(kPositionFolderName) + "/" + std::string(name);
}

struct RoundFile {
    bool usable = false;  // its header could be read
    std::string game;     // the game file its line 2 names
    long long number = 0;
    long long durationMs = 0;
    bool won = false;
    int arrivals = 0;  // "Position" events
};

struct GameHeader {
    std::optional<long long> points;
    std::optional<long long> best;
    std::optional<long long> rounds;
    std::string activeClock;
    // Per seat the subject file the game names; empty for a seat without.
    std::array<std::string, 2> subjects;
};

struct GameRow {
    long long number = 0;
    std::string roundFile;
};

struct Game {
    bool inLog = false;
    bool inLog2 = false;
    std::optional<GameHeader> logHeader;   // when the game file could be read
    std::optional<GameHeader> log2Header;  // the same for the position file
    std::vector<GameRow> rows;             // the rows that could be read
    bool allRowsRead = false;              // the game file was read, every row with it
    long long playMs = 0;                  // the sum of the rows' durations
};

// A subject file's rows per game, for the games' side of the check.
struct SubjectRows {
    bool readable = false;  // its layout was recognised
    std::map<std::string, int> rowsOfGame;
};

class Checker {
  public:
    Checker(const fs::path& workDir, const ServerTexts& texts)
        : workDir_(workDir), folders_(WorkFolders::In(workDir)), texts_(texts) {}

    RecordsCheck Run() {
        if (!fs::is_directory(workDir_)) {
            result_.unusable = workDir_.string() + " is no folder";
            return std::move(result_);
        }
        if (!fs::is_directory(folders_.log) || !ListLog()) {
            result_.unusable = folders_.log.string() +
                               " is no folder that can be listed (give the server's working "
                               "folder, which holds log/ and log2/)";
            return std::move(result_);
        }
        // A missing log2/ holds no position files; the games then lack them.
        ListLog2();
        for (auto& [name, game] : games_) {
            CheckGame(name, game);
        }
        std::sort(subjectFiles_.begin(), subjectFiles_.end());
        for (const std::string& name : subjectFiles_) {
            CheckSubjectFile(name);
        }
        CheckNamedSubjects();
        CheckRoundsListed();
        CheckSessionFiles(workDir_, rowsOfGame_, result_.problems);
        result_.games = static_cast<int>(games_.size());
        std::stable_sort(result_.problems.begin(), result_.problems.end(),
                         [](const RecordProblem& a, const RecordProblem& b) {
                             return std::tie(a.file, a.line) < std::tie(b.file, b.line);
                         });
        return std::move(result_);
    }

  private:
    // `line` from 0, as the lines are indexed; kWholeFile for none.
    static constexpr std::size_t kWholeFile = static_cast<std::size_t>(-1);

    void Problem(ProblemKind kind, std::string file, std::size_t line, std::string text) {
        result_.problems.push_back(
            {kind, std::move(file), line == kWholeFile ? 0 : line + 1, std::move(text)});
    }

    // The folders are gone through entry by entry and round files are kept
    // as flags by number, so that the check needs the same memory for a lab
    // of a hundred rounds and one of a hundred thousand.
    bool ListLog() {
        std::error_code error;
        fs::directory_iterator it(folders_.log, error);
        for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (const std::optional<int> round = NumberInFileName(name, 'r')) {
                roundExists_[static_cast<std::size_t>(*round)] = true;
                ++result_.rounds;
            } else if (IsNumberedFileName(name, 'g')) {
                games_[name].inLog = true;
            } else if (IsNumberedFileName(name, 'p')) {
                subjectFiles_.push_back(name);
            } else if (IsUnfinishedWrite(name)) {
                Problem(ProblemKind::UnfinishedWrite, LogFile(name), kWholeFile,
                        std::string(kUnfinishedWrite));
            }
        }
        return !error;
    }

    void ListLog2() {
        std::error_code error;
        fs::directory_iterator it(folders_.log2, error);
        for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (IsNumberedFileName(name, 'g')) {
                games_[name].inLog2 = true;
            } else if (IsUnfinishedWrite(name)) {
                Problem(ProblemKind::UnfinishedWrite, PositionFile(name), kWholeFile,
                        std::string(kUnfinishedWrite));
            }
        }
    }

    // The round file `name` as read for the game being checked; read once
    // per game, its problems reported at its first reading only.
    RoundFile& Round(const std::string& name) {
        const auto [entry, added] = gameRounds_.try_emplace(name);
        if (added) {
            const std::size_t number = static_cast<std::size_t>(*NumberInFileName(name, 'r'));
            const bool first = !roundRead_[number];
            roundRead_[number] = true;
            ReadRoundFile(name, entry->second, first);
        }
        return entry->second;
    }

    bool RoundExists(const std::string& name) const {
        const std::optional<int> number = NumberInFileName(name, 'r');
        return number && roundExists_[static_cast<std::size_t>(*number)];
    }

    void ReadRoundFile(const std::string& name, RoundFile& round, bool report) {
        const auto Problem = [&](ProblemKind kind, std::string file, std::size_t line,
                                 std::string text) {
            if (report) {
                this->Problem(kind, std::move(file), line, std::move(text));
            }
        };
        const std::string file = LogFile(name);
        const std::optional<Lines> lines = ReadLines(folders_.log / name);
        if (!lines) {
            Problem(ProblemKind::UnreadableFile, file, kWholeFile, "cannot be read");
            return;
        }
        if (lines->size() < kRoundFirstEvent) {
            Problem(ProblemKind::ShortFile, file, kWholeFile,
                    "has " + std::to_string(lines->size()) + " lines, fewer than its header");
            return;
        }
        round.game = FieldAt(*lines, kRoundGameLine, 4);
        const std::optional<long long> number = StrictNumber(FieldAt(*lines, kRoundNumberLine, 2));
        const std::optional<long long> duration =
            StrictNumber(FieldAt(*lines, kRoundDurationLine, 2));
        if (!IsGameFileName(round.game)) {
            Problem(ProblemKind::UnreadableLine, file, kRoundGameLine, "names no game file");
        }
        if (!number) {
            Problem(ProblemKind::UnreadableLine, file, kRoundNumberLine, "has no round number");
        }
        if (!duration) {
            Problem(ProblemKind::UnreadableLine, file, kRoundDurationLine, "Spieldauer: no number");
        }
        if (!IsGameFileName(round.game) || !number || !duration) {
            return;
        }
        round.usable = true;
        round.number = *number;
        round.durationMs = *duration;
        round.won = FieldAt(*lines, kRoundResultLine, 2) != kLostWord;
        for (std::size_t i = kRoundFirstEvent; i < lines->size(); ++i) {
            round.arrivals += FieldAt(*lines, i, 4) == kArrivalWord;
        }
        result_.wonRounds += report && round.won;
    }

    // The header's numbers, each reported when it is none.
    std::optional<GameHeader> ReadHeader(const std::string& file, const std::string& name,
                                         const Lines& lines) {
        if (lines.size() < kGameFirstRow) {
            Problem(ProblemKind::ShortFile, file, kWholeFile,
                    "has " + std::to_string(lines.size()) + " lines, fewer than its header");
            return std::nullopt;
        }
        if (FieldAt(lines, kGameNameLine, 4) != name) {
            Problem(ProblemKind::WrongGameName, file, kGameNameLine,
                    "names the game file " + std::string(FieldAt(lines, kGameNameLine, 4)));
        }
        GameHeader header;
        const auto number = [&](std::size_t line, int field, std::string_view label) {
            std::optional<long long> value = StrictNumber(FieldAt(lines, line, field));
            if (!value) {
                Problem(ProblemKind::UnreadableLine, file, line,
                        std::string(label) + ": no number");
            }
            return value;
        };
        header.points = number(kGamePointsLine, 2, "Punkte");
        header.best = number(kGamePointsLine, 4, "Highscore");
        header.rounds = number(kGameRoundsLine, 2, "Runden");
        header.activeClock = FieldAt(lines, kGameTimeLine, 4);
        for (std::size_t seat = 0; seat < kGamePlayerLines.size(); ++seat) {
            header.subjects[seat] = LastField(lines[kGamePlayerLines[seat]]);
        }
        return header;
    }

    void CheckGame(const std::string& name, Game& game) {
        gameRounds_.clear();
        if (game.inLog) {
            CheckGameFile(name, game);
        } else {
            Problem(ProblemKind::MissingGameFile, PositionFile(name), kWholeFile,
                    "has no game file " + LogFile(name) + " beside it");
        }
        if (game.inLog2) {
            CheckPositionFile(name, game);
        } else {
            Problem(ProblemKind::MissingPositionFile, LogFile(name), kWholeFile,
                    "has no position file " + PositionFile(name) + " beside it");
        }
        if (game.logHeader) {
            rowsOfGame_[*NumberInFileName(name, 'g')] = static_cast<long long>(game.rows.size());
        }
        // The rows and round files were needed for this game alone (assigning
        // an empty vector would keep its capacity).
        std::vector<GameRow>().swap(game.rows);
        gameRounds_.clear();
    }

    void CheckGameFile(const std::string& name, Game& game) {
        const std::string file = LogFile(name);
        const std::optional<Lines> read = ReadLines(folders_.log / name);
        if (!read) {
            Problem(ProblemKind::UnreadableFile, file, kWholeFile, "cannot be read");
            return;
        }
        const Lines& lines = *read;
        game.logHeader = ReadHeader(file, name, lines);
        if (!game.logHeader) {
            return;
        }
        game.allRowsRead = true;
        long long wonRows = 0;
        long long run = 0;
        long long longestRun = 0;
        long long previousPoints = 0;
        long long previousStreak = 0;
        std::set<std::string> listed;
        for (std::size_t i = kGameFirstRow; i < lines.size(); ++i) {
            const long long position = static_cast<long long>(i - kGameFirstRow) + 1;
            const std::string_view wonField = FieldAt(lines, i, 7);
            const std::optional<long long> durationMs = StrictNumber(FieldAt(lines, i, 3));
            const std::optional<long long> number = StrictNumber(FieldAt(lines, i, 5));
            const std::optional<long long> points = StrictNumber(FieldAt(lines, i, 8));
            const std::optional<long long> streak = StrictNumber(FieldAt(lines, i, 9));
            if (FieldCount(lines[i]) != kGameRowFields || !durationMs || !number || !points ||
                !streak || (wonField != "0" && wonField != "1")) {
                Problem(ProblemKind::UnreadableLine, file, i, "is no round row");
                game.allRowsRead = false;
                continue;
            }
            const bool won = wonField == "1";
            const std::string roundFile(FieldAt(lines, i, 6));
            game.rows.push_back({*number, roundFile});
            game.playMs += *durationMs;
            wonRows += won;
            run = won ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
            if (*number != position) {
                Problem(ProblemKind::RoundNumbering, file, i,
                        "Runde: " + std::to_string(*number) + " in round row " +
                            std::to_string(position));
            }
            // A running total is wrong when it follows neither the row
            // before nor the rows' own count, so that one wrong row is
            // reported once and not again in every row after it.
            if (*points != previousPoints + won && *points != wonRows) {
                Problem(ProblemKind::RunningTotal, file, i,
                        "Punkte: " + std::to_string(*points) + ", but " + std::to_string(wonRows) +
                            " rounds won up to here");
            }
            if (*streak != (won ? previousStreak + 1 : 0) && *streak != run) {
                Problem(ProblemKind::RunningTotal, file, i,
                        "Serie: " + std::to_string(*streak) + ", but a run of " +
                            std::to_string(run) + " won rounds up to here");
            }
            previousPoints = *points;
            previousStreak = *streak;
            CheckRowsRound(file, name, i, roundFile, *number, *durationMs, won, listed);
        }

        const GameHeader& header = *game.logHeader;
        const long long rows = static_cast<long long>(lines.size() - kGameFirstRow);
        if (header.rounds && *header.rounds != rows) {
            Problem(ProblemKind::GameTotal, file, kGameRoundsLine,
                    "Runden: " + std::to_string(*header.rounds) + ", but " + std::to_string(rows) +
                        " round lines");
        }
        if (!game.allRowsRead) {
            return;  // the sums below would miss the rows reported
        }
        if (header.points && *header.points != wonRows) {
            Problem(ProblemKind::GameTotal, file, kGamePointsLine,
                    "Punkte: " + std::to_string(*header.points) + ", but " +
                        std::to_string(wonRows) + " won rounds");
        }
        if (header.best && *header.best != longestRun) {
            Problem(ProblemKind::GameTotal, file, kGamePointsLine,
                    "Highscore: " + std::to_string(*header.best) +
                        ", but the longest run of won rounds is " + std::to_string(longestRun));
        }
        const std::string active = FormatClock(game.playMs / 1000);
        if (header.activeClock != active) {
            Problem(ProblemKind::GameTotal, file, kGameTimeLine,
                    "davon aktiv: " + header.activeClock +
                        ", but the rounds' durations add up to " + active + " (" +
                        std::to_string(game.playMs) + " ms)");
        }
    }

    void CheckRowsRound(const std::string& file, const std::string& game, std::size_t line,
                        const std::string& roundFile, long long number, long long durationMs,
                        bool won, std::set<std::string>& listed) {
        if (!RoundExists(roundFile)) {
            Problem(ProblemKind::MissingRoundFile, file, line, roundFile + " is missing");
            return;
        }
        RoundFile& round = Round(roundFile);
        if (!listed.insert(roundFile).second) {
            Problem(ProblemKind::RoundListedTwice, file, line,
                    roundFile + " is listed a second time");
            return;
        }
        if (!round.usable) {
            return;  // reported with the round file
        }
        if (round.game != game) {
            Problem(ProblemKind::RoundOfAnotherGame, file, line,
                    roundFile + " belongs to " + round.game + " (its line 2)");
            return;
        }
        roundListedInItsGame_[static_cast<std::size_t>(*NumberInFileName(roundFile, 'r'))] = true;
        if (round.number != number) {
            Problem(ProblemKind::RowAgainstRoundFile, file, line,
                    "Runde: " + std::to_string(number) + ", but " + roundFile + " is round " +
                        std::to_string(round.number));
        }
        if (round.durationMs != durationMs) {
            Problem(ProblemKind::RowAgainstRoundFile, file, line,
                    "Dauer (ms): " + std::to_string(durationMs) + ", but " + roundFile +
                        " has Spieldauer " + std::to_string(round.durationMs));
        }
        if (round.won != won) {
            Problem(ProblemKind::RowAgainstRoundFile, file, line,
                    std::string("Gewonnen: ") + (won ? "1" : "0") + ", but " + roundFile +
                        (round.won ? " was won" : " was lost"));
        }
    }

    // Per round of the game: the first line and how many start and arrival
    // lines it has.
    struct RoundLines {
        std::size_t firstLine = 0;
        bool startsWithStart = false;
        int starts = 0;
        int arrivals = 0;
    };

    void CheckPositionFile(const std::string& name, Game& game) {
        const std::string file = PositionFile(name);
        const std::optional<Lines> read = ReadLines(folders_.log2 / name);
        if (!read) {
            Problem(ProblemKind::UnreadableFile, file, kWholeFile, "cannot be read");
            return;
        }
        const Lines& lines = *read;
        std::optional<GameHeader> header = ReadHeader(file, name, lines);
        if (!header) {
            return;
        }
        if (game.logHeader) {
            const GameHeader& logHeader = *game.logHeader;
            const auto compare = [&](std::size_t line, std::string_view label,
                                     std::optional<long long> here,
                                     std::optional<long long> there) {
                if (here && there && *here != *there) {
                    Problem(ProblemKind::PositionHeader, file, line,
                            std::string(label) + ": " + std::to_string(*here) + ", but " +
                                LogFile(name) + " has " + std::to_string(*there));
                }
            };
            compare(kGamePointsLine, "Punkte", header->points, logHeader.points);
            compare(kGamePointsLine, "Highscore", header->best, logHeader.best);
            compare(kGameRoundsLine, "Runden", header->rounds, logHeader.rounds);
        }
        game.log2Header = std::move(header);

        std::map<long long, RoundLines> rounds;
        long long expectedMove = 0;
        long long lastRound = 0;
        for (std::size_t i = kGameFirstRow; i < lines.size(); ++i) {
            const std::optional<long long> move = StrictNumber(FieldAt(lines, i, 1));
            const std::optional<long long> round = StrictNumber(FieldAt(lines, i, 4));
            if (FieldCount(lines[i]) != kPositionFields || !move || !round) {
                Problem(ProblemKind::UnreadableLine, file, i, "is no position line");
                ++expectedMove;
                continue;
            }
            // After a gap the count goes on from the number found, so that
            // one lost line is reported once.
            if (*move != expectedMove) {
                Problem(
                    ProblemKind::PositionNumbering, file, i,
                    "Zug: " + std::to_string(*move) + ", expected " + std::to_string(expectedMove));
            }
            expectedMove = *move + 1;
            if (*round < lastRound) {
                Problem(ProblemKind::PositionNumbering, file, i,
                        "a line of round " + std::to_string(*round) + " after round " +
                            std::to_string(lastRound));
                continue;
            }
            lastRound = *round;
            const bool start = !FieldAt(lines, i, static_cast<int>(kPositionFields)).empty();
            auto [entry, first] = rounds.try_emplace(*round);
            if (first) {
                entry->second.firstLine = i;
                entry->second.startsWithStart = start;
            }
            ++(start ? entry->second.starts : entry->second.arrivals);
        }
        if (!game.allRowsRead) {
            return;  // which rounds there should be is not known
        }
        std::set<long long> rowNumbers;
        for (const GameRow& row : game.rows) {
            rowNumbers.insert(row.number);
            CheckRoundsLines(file, row, rounds);
        }
        for (const auto& [round, counts] : rounds) {
            if (!rowNumbers.contains(round)) {
                Problem(ProblemKind::PositionLines, file, counts.firstLine,
                        "lines of round " + std::to_string(round) + ", which has no row in " +
                            LogFile(name));
            }
        }
    }

    void CheckRoundsLines(const std::string& file, const GameRow& row,
                          const std::map<long long, RoundLines>& rounds) {
        const std::string round = "round " + std::to_string(row.number);
        const auto found = rounds.find(row.number);
        if (found == rounds.end()) {
            Problem(ProblemKind::PositionLines, file, kWholeFile,
                    "no lines of " + round + " (" + row.roundFile + ")");
            return;
        }
        const RoundLines& lines = found->second;
        if (lines.starts != 1) {
            // A start line that lost its list reads as an arrival: the
            // arrivals are not counted against the round file then.
            Problem(ProblemKind::PositionLines, file, lines.firstLine,
                    round + " has " + std::to_string(lines.starts) +
                        " start lines (with a list of possible targets), not 1");
            return;
        }
        if (!lines.startsWithStart) {
            Problem(ProblemKind::PositionLines, file, lines.firstLine,
                    round + " begins with an arrival, not its start line");
        }
        const auto roundFile = gameRounds_.find(row.roundFile);
        if (roundFile != gameRounds_.end() && roundFile->second.usable &&
            roundFile->second.arrivals != lines.arrivals) {
            Problem(ProblemKind::PositionLines, file, lines.firstLine,
                    round + " has " + std::to_string(lines.arrivals) + " arrival lines, but " +
                        row.roundFile + " has " + std::to_string(roundFile->second.arrivals) +
                        " Position events");
        }
    }

    void CheckSubjectFile(const std::string& name) {
        ++result_.subjects;
        const std::string file = LogFile(name);
        const std::optional<std::string> bytes = ReadWholeFile(folders_.log / name);
        SubjectRows& known = subjects_[name];
        if (!bytes) {
            Problem(ProblemKind::UnreadableFile, file, kWholeFile, "cannot be read");
            return;
        }
        // Read as the server reads it: what it refuses is reported here, and
        // what it takes, as a spreadsheet may have saved it, is no problem.
        std::variant<SubjectContent, SubjectRefusal> read = ReadSubjectContent(*bytes, texts_);
        if (const SubjectRefusal* refusal = std::get_if<SubjectRefusal>(&read)) {
            Problem(ProblemKind::SubjectLayout, file, refusal->line.value_or(kWholeFile),
                    refusal->reason);
            return;
        }
        const SubjectContent& content = std::get<SubjectContent>(read);
        known.readable = true;
        long long points = 0;
        long long record = 0;
        long long rounds = 0;
        long long playMs = 0;
        for (const SubjectGameRow& row : content.rows) {
            points += row.points;
            record = std::max(record, row.best);
            rounds += row.rounds;
            playMs += row.playMs;
            if (++known.rowsOfGame[row.game] > 1) {
                Problem(ProblemKind::SubjectRowTwice, file, row.line,
                        "a second row of " + row.game);
                continue;
            }
            const auto found = games_.find(row.game);
            if (found == games_.end()) {
                ++result_.archivedGameRows;  // the lab has moved the game away
                continue;
            }
            CheckSubjectRow(file, name, row.line, row.game, found->second, row.partner,
                            {row.points, row.best, row.rounds, row.playMs});
        }
        const SubjectLayout& layout = content.layout;
        const auto total = [&](std::size_t line, std::string_view label, long long value,
                               long long sum, std::string_view what) {
            if (value != sum) {
                Problem(ProblemKind::SubjectTotal, file, line,
                        std::string(label) + ": " + std::to_string(value) + ", but " +
                            std::string(what) + " " + std::to_string(sum));
            }
        };
        total(layout.pointsLine, "Punkte", content.points, points, "the rows add up to");
        total(layout.pointsLine, "Rekord", content.record, record,
              "the rows' highest Highscore is");
        total(layout.roundsLine, "Runden", content.rounds, rounds, "the rows add up to");
        total(layout.roundsLine, "Spielzeit", content.playMs, playMs, "the rows add up to");
        const std::string clock = FormatClock(content.playMs / 1000);
        if (!SamePlayClock(content.playClock, content.playMs)) {
            Problem(ProblemKind::SubjectTotal, file, layout.roundsLine,
                    "Spielzeit: " + content.playClock + ", but " + std::to_string(content.playMs) +
                        " ms is " + clock);
        }
    }

    struct RowValues {
        long long points;
        long long best;
        long long rounds;
        long long playMs;
    };

    void CheckSubjectRow(const std::string& file, const std::string& name, std::size_t line,
                         const std::string& gameName, const Game& game, const std::string& partner,
                         const RowValues& row) {
        const bool fromLog = game.logHeader.has_value();
        const std::optional<GameHeader>& header = fromLog ? game.logHeader : game.log2Header;
        if (!header) {
            return;  // the game's files are reported
        }
        const std::string gameFile = fromLog ? LogFile(gameName) : PositionFile(gameName);
        const auto seat = std::find(header->subjects.begin(), header->subjects.end(), name);
        if (seat == header->subjects.end()) {
            Problem(ProblemKind::SubjectRowAgainstGame, file, line,
                    gameFile + " does not name " + name + " as a player");
        } else {
            const std::string& other = header->subjects[seat == header->subjects.begin() ? 1 : 0];
            // A subject who sat in both seats is the own partner.
            const std::string& expected = header->subjects[0] == header->subjects[1] ? name : other;
            if (partner != expected) {
                Problem(ProblemKind::SubjectRowAgainstGame, file, line,
                        "Gegner: " + (partner.empty() ? "none" : partner) + ", but " + gameFile +
                            " names " + (expected.empty() ? "none" : expected));
            }
        }
        const auto compare = [&](std::string_view label, long long value,
                                 std::optional<long long> expected) {
            if (expected && value != *expected) {
                Problem(ProblemKind::SubjectRowAgainstGame, file, line,
                        std::string(label) + " of " + gameName + ": " + std::to_string(value) +
                            ", but " + gameFile + " has " + std::to_string(*expected));
            }
        };
        compare("Punkte", row.points, header->points);
        compare("Highscore", row.best, header->best);
        compare("Runden", row.rounds, header->rounds);
        if (fromLog && game.allRowsRead && row.playMs != game.playMs) {
            Problem(ProblemKind::SubjectRowAgainstGame, file, line,
                    "Dauer (ms) of " + gameName + ": " + std::to_string(row.playMs) +
                        ", but the rounds of " + gameFile + " add up to " +
                        std::to_string(game.playMs));
        }
    }

    // Each subject a game names has the game's row.
    void CheckNamedSubjects() {
        for (const auto& [name, game] : games_) {
            const bool fromLog = game.logHeader.has_value();
            const std::optional<GameHeader>& header = fromLog ? game.logHeader : game.log2Header;
            if (!header) {
                continue;
            }
            const std::string file = fromLog ? LogFile(name) : PositionFile(name);
            for (std::size_t seat = 0; seat < header->subjects.size(); ++seat) {
                const std::string& subject = header->subjects[seat];
                if (subject.empty() || (seat == 1 && subject == header->subjects[0])) {
                    continue;  // no subject in the seat, or the one already looked at
                }
                const auto found = subjects_.find(subject);
                if (found == subjects_.end()) {
                    Problem(ProblemKind::MissingSubjectFile, file, kGamePlayerLines[seat],
                            "names " + subject + ", which is not in " + kLogFolderName + "/");
                } else if (found->second.readable && !found->second.rowsOfGame.contains(name)) {
                    Problem(ProblemKind::MissingSubjectRow, file, kGamePlayerLines[seat],
                            subject + " has no row of this game");
                }
            }
        }
    }

    // Every round file is listed in the game it names.
    void CheckRoundsListed() {
        for (std::size_t number = 0; number < kRoundNumbers; ++number) {
            if (!roundExists_[number] || roundListedInItsGame_[number]) {
                continue;
            }
            const std::string name = NumberedFileName('r', static_cast<int>(number));
            gameRounds_.clear();
            const RoundFile& round = Round(name);
            if (!round.usable) {
                continue;
            }
            const auto game = games_.find(round.game);
            Problem(ProblemKind::RoundNotListed, LogFile(name), kRoundGameLine,
                    game != games_.end() && game->second.inLog
                        ? "listed in no row of " + LogFile(round.game)
                        : "names " + round.game + ", which is not in " + kLogFolderName + "/");
        }
    }

    fs::path workDir_;
    WorkFolders folders_;
    const ServerTexts& texts_;
    RecordsCheck result_;
    // Round file numbers have six digits; per number whether log/ has the
    // file, whether it has been read, and whether a row of its own game
    // lists it.
    static constexpr std::size_t kRoundNumbers = 1000000;
    std::vector<bool> roundExists_ = std::vector<bool>(kRoundNumbers);
    std::vector<bool> roundRead_ = std::vector<bool>(kRoundNumbers);
    std::vector<bool> roundListedInItsGame_ = std::vector<bool>(kRoundNumbers);
    std::map<std::string, RoundFile> gameRounds_;  // of the game being checked, by file name
    std::map<std::string, Game> games_;            // by file name, of log/ and log2/
    std::map<int, long long> rowsOfGame_;          // by number, of the game files read
    std::vector<std::string> subjectFiles_;
    std::map<std::string, SubjectRows> subjects_;
};

struct KindName {
    ProblemKind kind;
    std::string_view name;
    std::string_view meaning;
};
constexpr std::array<KindName, 27> kKindNames = {{
    {ProblemKind::UnfinishedWrite, "unfinished_write",
     "a temporary file or the journal of a write the server did not finish (start the server once "
     "to complete it)"},
    {ProblemKind::UnreadableFile, "unreadable_file", "a file that cannot be read"},
    {ProblemKind::ShortFile, "short_file", "a file with fewer lines than its header"},
    {ProblemKind::UnreadableLine, "unreadable_line",
     "a line or field that is not what the file has there (no number, no round row, no position "
     "line)"},
    {ProblemKind::WrongGameName, "wrong_game_name",
     "a game or position file whose header names another game"},
    {ProblemKind::MissingGameFile, "missing_game_file",
     "a position file in log2/ without its game file in log/"},
    {ProblemKind::MissingPositionFile, "missing_position_file",
     "a game file in log/ without its position file in log2/"},
    {ProblemKind::RoundNumbering, "round_numbering",
     "a game row whose round number is not its place among the rows"},
    {ProblemKind::RunningTotal, "running_total",
     "a game row whose points or series do not follow from the rows before it"},
    {ProblemKind::GameTotal, "game_total",
     "a game header whose points, highscore, rounds or active time do not follow from its rows"},
    {ProblemKind::MissingRoundFile, "missing_round_file",
     "a game row whose round file is not in log/"},
    {ProblemKind::RoundListedTwice, "round_listed_twice", "a round file named by two rows"},
    {ProblemKind::RoundOfAnotherGame, "round_of_another_game",
     "a game row naming a round file that belongs to another game"},
    {ProblemKind::RowAgainstRoundFile, "row_against_round_file",
     "a game row whose round number, duration or result differs from its round file"},
    {ProblemKind::RoundNotListed, "round_not_listed", "a round file that no row of its game names"},
    {ProblemKind::PositionHeader, "position_header",
     "a position file whose totals differ from its game file"},
    {ProblemKind::PositionNumbering, "position_numbering",
     "position lines numbered with a gap or out of round order"},
    {ProblemKind::PositionLines, "position_lines",
     "a round whose start and arrival lines in the position file differ from its row and its round "
     "file"},
    {ProblemKind::SubjectLayout, "subject_layout",
     "a subject file whose number, name, comment, points and rounds lines cannot be found, or "
     "one of whose lines cannot be read (a quoted field not closed, a number field that is no "
     "number): the server refuses it too"},
    {ProblemKind::SubjectRowTwice, "subject_row_twice", "a subject file with two rows of one game"},
    {ProblemKind::SubjectTotal, "subject_total",
     "a subject file whose totals are not the sums of its rows"},
    {ProblemKind::SubjectRowAgainstGame, "subject_row_against_game",
     "a subject row whose partner, points, highscore, rounds or duration differ from its game"},
    {ProblemKind::MissingSubjectFile, "missing_subject_file",
     "a game naming a subject file that is not in log/"},
    {ProblemKind::MissingSubjectRow, "missing_subject_row",
     "a subject file without the row of a game that names it"},
    {ProblemKind::SessionLine, "session_line",
     "a line of a session file (sessions/) that is not as the server writes it: a header or event "
     "line out of form, a time before the line above, or a last line cut short"},
    {ProblemKind::SessionAgainstGames, "session_against_games",
     "a session event naming a round of a game whose game file lacks the rounds before it (or is "
     "missing)"},
    {ProblemKind::LabId, "lab_id",
     "a lab_id.txt whose first line is no valid lab identity (the server then leaves the session "
     "files' lab empty)"},
}};

std::string Count(int n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::span<const ProblemKind> AllProblemKinds() {
    static const std::array<ProblemKind, kKindNames.size()> kinds = [] {
        std::array<ProblemKind, kKindNames.size()> all{};
        std::transform(kKindNames.begin(), kKindNames.end(), all.begin(),
                       [](const KindName& entry) { return entry.kind; });
        return all;
    }();
    return kinds;
}

std::string_view ProblemKindMeaning(ProblemKind kind) {
    for (const KindName& entry : kKindNames) {
        if (entry.kind == kind) {
            return entry.meaning;
        }
    }
    return "";
}

std::string_view ProblemKindName(ProblemKind kind) {
    for (const KindName& entry : kKindNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return "unknown";
}

RecordsCheck CheckRecords(const fs::path& workDir, const ServerTexts& texts) {
    return Checker(workDir, texts).Run();
}

std::string ProblemLine(const RecordProblem& problem) {
    return problem.file + (problem.line > 0 ? ":" + std::to_string(problem.line) : "") + ": " +
           problem.text;
}

std::string SummaryLine(const RecordsCheck& check) {
    const int problems = static_cast<int>(check.problems.size());
    return "checked " + Count(check.games, "game", "games") + ", " +
           Count(check.rounds, "round", "rounds") + ", " +
           Count(check.subjects, "subject", "subjects") + " (" +
           Count(check.archivedGameRows, "row", "rows") + " of archived games): " +
           (problems == 0 ? "no problems found"
                          : Count(problems, "problem", "problems") + " found");
}

}  // namespace quib::server
