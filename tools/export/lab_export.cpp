#include "tools/export/lab_export.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "common/codepage.h"
#include "common/file_io.h"
#include "common/work_folders.h"
#include "server/records/file_numbering.h"
#include "server/records/records_check.h"
#include "tools/export/codebook.h"
#include "tools/export/lab_files.h"
#include "tools/export/round_measures.h"
#include "tools/export/session_join.h"
#include "tools/export/tables.h"
#include "tools/export/tidy_csv_writer.h"
#include "tools/export/vocabulary.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;

// Round file numbers have six digits; one flag each says which round files
// have been exported, in fixed memory however many rounds a lab holds.
constexpr std::size_t kRoundNumbers = 1000000;

// Problems shown on the terminal: enough to see what kind of damage a lab
// has, few enough not to bury the summary (problems.csv has them all).
constexpr std::size_t kProblemsShown = 20;

std::string Utf8(std::string_view cp1252) {
    return Cp1252ToUtf8(cp1252);
}

std::string Int(long long value) {
    return std::to_string(value);
}

std::string Subject(const std::optional<int>& subject) {
    return subject ? std::to_string(*subject) : std::string();
}

// "2024-03-09T14:05:07" plus `ms` milliseconds, with ".250" when the sum
// has a fraction of a second.
std::string AddMs(const std::string& iso, long long ms, bool withFraction) {
    if (iso.size() != 19) {
        return {};
    }
    std::tm time{};
    time.tm_year = std::stoi(iso.substr(0, 4)) - 1900;
    time.tm_mon = std::stoi(iso.substr(5, 2)) - 1;
    time.tm_mday = std::stoi(iso.substr(8, 2));
    time.tm_hour = std::stoi(iso.substr(11, 2));
    time.tm_min = std::stoi(iso.substr(14, 2));
    time.tm_sec = std::stoi(iso.substr(17, 2));
    // Calendar arithmetic without time zones: the files keep local times and
    // no zone, and a change to summer time must not move them.
    const long long base = static_cast<long long>(timegm(&time)) * 1000 + ms;
    const std::time_t seconds =
        static_cast<std::time_t>(base >= 0 ? base / 1000 : (base - 999) / 1000);
    const long long fraction = base - static_cast<long long>(seconds) * 1000;
    std::tm out{};
    gmtime_r(&seconds, &out);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", out.tm_year + 1900,
                  out.tm_mon + 1, out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec);
    std::string result = text;
    if (withFraction && fraction != 0) {
        std::snprintf(text, sizeof text, ".%03lld", fraction);
        result += text;
    }
    return result;
}

std::string Optional(const std::optional<long long>& value) {
    return value ? Int(*value) : std::string();
}

std::string YesNo(const std::optional<bool>& value) {
    return value ? (*value ? "1" : "0") : "";
}

std::string RelativeName(std::string_view folder, std::string_view name) {
    return std::string(folder) + "/" + std::string(name);
}

// Where a round's milliseconds are counted from: a time to the second and
// the round's set-up in milliseconds after it. With the game's start and the
// round's row that is the game's start and the row's offset: both come from
// the server's one millisecond clock, so the times of a game's events keep
// their order and gaps across its rounds. Without them, the time the round
// file was written less the round's length.
struct RoundClock {
    std::string base;  // ISO 8601, to the second
    long long setUpMs = 0;
};

RoundClock ClockOf(const RoundFile& round, const GameRow* row, const std::string& gameStart) {
    if (row != nullptr && !gameStart.empty()) {
        return {gameStart, row->offsetMs};
    }
    return {round.writtenAt, -round.durationMs};
}

// One round of a game with what its position lines need: the row and, when
// its round file was read, the times of the round's start and arrival
// events, in order (the round file itself is not kept).
struct GameRound {
    const GameRow* row = nullptr;
    std::optional<std::vector<long long>> lineMs;
};

struct GameSummary {
    std::vector<std::string> fields;  // games.csv, "ending" and "rounds_present" filled at the end
    long long expectedRounds = 0;     // as the game's own files tell
    long long present = 0;            // rounds with a row and their round file
    // Rounds up to expectedRounds without row or file, and present rounds
    // past it: only what is out of order is kept, so a game of a thousand
    // rounds costs no more than one of ten.
    std::vector<long long> missing;
    std::set<long long> presentBeyond;
};

class Exporter {
  public:
    Exporter(const ExportOptions& options, const Vocabularies& vocabularies)
        : options_(options),
          vocabularies_(vocabularies),
          folders_(WorkFolders::In(options.labFolder)),
          roundExists_(kRoundNumbers),
          done_(kRoundNumbers) {}

    ExportResult Run();

  private:
    bool ListFolders();
    void Progress() {
        ++filesRead_;
        if (options_.progress) {
            options_.progress(filesRead_, filesTotal_);
        }
    }
    void CannotParse(const std::string& file, const ParseError& error) {
        parseErrors_.push_back({file, error.line, error.text});
    }
    std::optional<std::string> Read(const fs::path& file, const std::string& name) {
        std::optional<std::string> text = ReadWholeFile(file);
        Progress();
        if (!text) {
            parseErrors_.push_back({name, 0, "cannot be read"});
        }
        return text;
    }

    void ExportSubjects();
    void ExportGame(const std::string& name);
    std::optional<RoundFile> ReadRound(const std::string& name);
    void WriteRound(const std::string& name, const RoundFile& round, const GameRow* row,
                    const std::string& gameStart);
    void WritePositions(const GameHeader& header, const std::vector<PositionLine>& lines,
                        const std::map<long long, GameRound>& rounds);
    void ExportUnlistedRounds();
    bool WriteProblems(const std::vector<server::RecordProblem>& problems);

    const ExportOptions& options_;
    const Vocabularies& vocabularies_;
    WorkFolders folders_;
    std::vector<std::string> subjectNames_, gameNames_;
    // Round file numbers have six digits; per number whether log/ has the
    // file and whether it has been exported, in fixed memory however many
    // rounds a lab holds.
    std::vector<bool> roundExists_;
    std::size_t roundFiles_ = 0;
    std::set<std::string> logGames_;
    std::set<std::string> log2Games_;
    std::size_t filesRead_ = 0;
    std::size_t filesTotal_ = 0;
    std::vector<bool> done_;
    std::map<std::string, std::string> gameStarts_;  // from the subject files' rows
    std::map<int, GameSummary> games_;
    std::map<int, std::string> gameStartsByNumber_;
    struct Unreadable {
        std::string file;
        std::size_t line;
        std::string text;  // UTF-8
    };
    std::vector<Unreadable> parseErrors_;
    std::unique_ptr<TableFile> games_csv_, rounds_, events_, positions_, subjects_, connections_;
    std::string labId_;
    SessionFacts sessions_;
    int roundCount_ = 0;
};

// The sorted names in a folder; nothing when it cannot be listed.
std::optional<std::vector<std::string>> Names(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    if (error) {
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Lists log/ entry by entry without keeping its names: a lab's round files
// are kept as flags by number.
bool Exporter::ListFolders() {
    std::error_code error;
    fs::directory_iterator it(folders_.log, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (server::IsNumberedFileName(name, 'p')) {
            subjectNames_.push_back(name);
        } else if (server::IsNumberedFileName(name, 'g')) {
            gameNames_.push_back(name);
            logGames_.insert(name);
        } else if (const std::optional<int> round = server::NumberInFileName(name, 'r')) {
            roundExists_[static_cast<std::size_t>(*round)] = true;
            ++roundFiles_;
        }
    }
    if (error) {
        return false;
    }
    for (const std::string& name : Names(folders_.log2).value_or(std::vector<std::string>{})) {
        if (server::IsNumberedFileName(name, 'g')) {
            log2Games_.insert(name);
            gameNames_.push_back(name);
        }
    }
    std::sort(subjectNames_.begin(), subjectNames_.end());
    std::sort(gameNames_.begin(), gameNames_.end());
    gameNames_.erase(std::unique(gameNames_.begin(), gameNames_.end()), gameNames_.end());
    filesTotal_ = subjectNames_.size() + roundFiles_ + gameNames_.size() + log2Games_.size();
    return true;
}

void Exporter::ExportSubjects() {
    for (const std::string& name : subjectNames_) {
        const std::string file = RelativeName(kLogFolderName, name);
        const std::optional<std::string> text = Read(folders_.log / name, file);
        if (!text) {
            continue;
        }
        Parsed<SubjectFile> parsed = ParseSubjectFile(*text, vocabularies_);
        if (const ParseError* error = std::get_if<ParseError>(&parsed)) {
            CannotParse(file, *error);
            continue;
        }
        const SubjectFile& subject = std::get<SubjectFile>(parsed);
        for (const auto& [game, start] : subject.gameStarts) {
            gameStarts_.try_emplace(game, start);
        }
        subjects_->Row({Int(subject.number), name, Utf8(subject.name), Utf8(subject.comment),
                        subject.createdAt, Int(subject.points), Int(subject.record),
                        Int(subject.rounds), Int(subject.playMs), Int(subject.games)});
    }
}

std::optional<RoundFile> Exporter::ReadRound(const std::string& name) {
    const std::optional<int> number = server::NumberInFileName(name, 'r');
    if (!number || done_[static_cast<std::size_t>(*number)]) {
        return std::nullopt;  // a round listed twice is exported once
    }
    done_[static_cast<std::size_t>(*number)] = true;
    if (!roundExists_[static_cast<std::size_t>(*number)]) {
        return std::nullopt;  // the records check reports it
    }
    const std::string file = RelativeName(kLogFolderName, name);
    const std::optional<std::string> text = Read(folders_.log / name, file);
    if (!text) {
        return std::nullopt;
    }
    Parsed<RoundFile> parsed = ParseRoundFile(*text, vocabularies_);
    if (const ParseError* parseError = std::get_if<ParseError>(&parsed)) {
        CannotParse(file, *parseError);
        return std::nullopt;
    }
    return std::get<RoundFile>(std::move(parsed));
}

void Exporter::WriteRound(const std::string& name, const RoundFile& round, const GameRow* row,
                          const std::string& gameStart) {
    ++roundCount_;
    const RoundClock clock = ClockOf(round, row, gameStart);
    const std::string start = AddMs(clock.base, clock.setUpMs, false);
    std::vector<std::string> fields = {
        Int(round.gameNumber),
        Int(round.round),
        name,
        start,
        Int(round.durationMs),
        round.won ? "1" : "0",
        row != nullptr ? Int(row->points) : std::string(),
        row != nullptr ? Int(row->series) : std::string(),
        Subject(round.players[0].subject),
        Subject(round.players[1].subject),
        Int(round.players[0].level),
        Int(round.players[1].level),
        round.players[0].display,
        round.players[1].display,
        round.speed,
        Utf8(round.players[0].figure),
        Utf8(round.players[1].figure),
        CellName(round.startCells[0]),
        CellName(round.startCells[1]),
        CellName(round.endCells[0]),
        CellName(round.endCells[1]),
        Int(round.moves[0]),
        Int(round.moves[1]),
    };
    for (const auto& board : round.stimuli) {
        for (const Stimulus& cell : board) {
            fields.insert(fields.end(), {cell.colour, cell.shape, cell.relation, cell.secondColour,
                                         cell.secondShape});
        }
    }
    const RoundMeasures measures = MeasureRound(round);
    fields.insert(fields.end(), {Optional(measures.firstMoveMs[0]),
                                 Optional(measures.firstMoveMs[1]), YesNo(measures.endOnShared[0]),
                                 YesNo(measures.endOnShared[1]), Int(measures.winningPairs),
                                 PairId(round.players[0].subject, round.players[1].subject)});
    if (sessions_.Knows(round.gameNumber)) {
        const RoundConnections trouble = sessions_.Round(round.gameNumber, round.round);
        fields.insert(fields.end(), {trouble.losses > 0 ? "1" : "0", Int(trouble.losses),
                                     Int(trouble.badFrames)});
    } else {
        fields.insert(fields.end(), 3, std::string());
    }
    rounds_->Row(fields);
    for (std::size_t i = 0; i < round.events.size(); ++i) {
        const RoundEvent& event = round.events[i];
        const std::optional<Move>& move = measures.moves[i];
        const bool key = event.kind == EventKind::Key;
        events_->Row({Int(round.gameNumber), Int(round.round), Int(event.ms),
                      AddMs(clock.base, clock.setUpMs + event.ms, true),
                      event.player == 0 ? "" : Int(event.player),
                      event.kind == EventKind::Start ? "start"
                      : key                          ? "key"
                                                     : "position",
                      key ? event.key.name : "", key ? Int(event.key.code) : "",
                      event.kind == EventKind::Position ? CellName(event.cell) : "",
                      move ? CellName(move->from) : "", move ? CellName(move->to) : ""});
    }
}

void Exporter::ExportGame(const std::string& name) {
    std::optional<GameFile> gameFile;
    std::optional<PositionFile> positionFile;
    if (logGames_.contains(name)) {
        const std::string file = RelativeName(kLogFolderName, name);
        if (const std::optional<std::string> text = Read(folders_.log / name, file)) {
            Parsed<GameFile> parsed = ParseGameFile(*text, vocabularies_);
            if (const ParseError* error = std::get_if<ParseError>(&parsed)) {
                CannotParse(file, *error);
            } else {
                gameFile = std::get<GameFile>(std::move(parsed));
            }
        }
    }
    if (log2Games_.contains(name)) {
        const std::string file = RelativeName(kPositionFolderName, name);
        if (const std::optional<std::string> text = Read(folders_.log2 / name, file)) {
            Parsed<PositionFile> parsed = ParsePositionFile(*text, vocabularies_);
            if (const ParseError* error = std::get_if<ParseError>(&parsed)) {
                CannotParse(file, *error);
            } else {
                positionFile = std::get<PositionFile>(std::move(parsed));
            }
        }
    }
    if (!gameFile && !positionFile) {
        return;  // nothing of the game can be read; the reasons are reported
    }
    const GameHeader& header = gameFile ? gameFile->header : positionFile->header;
    const std::vector<GameRow> noRows;
    const std::vector<GameRow>& rows = gameFile ? gameFile->rows : noRows;

    // The game's start: the subject files' rows have it; without subjects
    // it follows from the time the game file was first written, at the end
    // of its first round.
    std::string start;
    if (const auto found = gameStarts_.find(name); found != gameStarts_.end()) {
        start = found->second;
    } else if (!rows.empty()) {
        start = AddMs(header.firstWrittenAt, -(rows[0].offsetMs + rows[0].durationMs), false);
    }

    GameSummary& summary = games_[header.number];
    std::set<long long> presentRounds;
    std::map<long long, GameRound> rounds;
    for (const GameRow& row : rows) {
        std::optional<RoundFile> round = ReadRound(row.roundFile);
        GameRound& entry = rounds[row.round];
        entry.row = &row;
        if (!round) {
            continue;
        }
        WriteRound(row.roundFile, *round, &row, start);
        if (round->game == name && round->round == row.round) {
            ++summary.present;
            presentRounds.insert(row.round);
            std::vector<long long>& lineMs = entry.lineMs.emplace();
            for (const RoundEvent& event : round->events) {
                if (event.kind != EventKind::Key) {
                    lineMs.push_back(event.ms);
                }
            }
        }
    }
    if (positionFile) {
        WritePositions(header, positionFile->lines, rounds);
    }
    summary.expectedRounds = std::max(header.rounds, static_cast<long long>(rows.size()));
    for (long long round = 1; round <= summary.expectedRounds; ++round) {
        if (!presentRounds.contains(round)) {
            summary.missing.push_back(round);
        }
    }
    presentRounds.erase(presentRounds.begin(), presentRounds.upper_bound(summary.expectedRounds));
    summary.presentBeyond = std::move(presentRounds);
    const std::array<Player, 2>& players = header.players;
    long long playMs = 0;
    for (const GameRow& row : rows) {
        playMs += row.durationMs;
    }
    summary.fields = {Int(header.number),
                      name,
                      start,
                      Subject(players[0].subject),
                      Utf8(players[0].name),
                      Subject(players[1].subject),
                      Utf8(players[1].name),
                      Int(players[0].level),
                      Int(players[1].level),
                      header.speed,
                      players[0].display,
                      players[1].display,
                      Utf8(players[0].figure),
                      Utf8(players[1].figure),
                      header.startChoices[0],
                      header.startChoices[1],
                      Int(header.rounds),
                      "",  // rounds_present, once the unlisted rounds are known
                      Int(header.points),
                      Int(header.best),
                      gameFile ? Int(playMs) : "",
                      "",  // ending
                      PairId(players[0].subject, players[1].subject)};
    const auto seats = sessions_.gameSeats.find(header.number);
    for (std::size_t seat = 0; seat < 2; ++seat) {
        const bool known = seats != sessions_.gameSeats.end();
        summary.fields.push_back(known ? seats->second[seat].address : "");
        summary.fields.push_back(known ? seats->second[seat].host : "");
    }
    gameStartsByNumber_[header.number] = start;
}

void Exporter::WritePositions(const GameHeader& header, const std::vector<PositionLine>& lines,
                              const std::map<long long, GameRound>& rounds) {
    // The k-th line of a round was written at the k-th start or arrival
    // event of its round file, which has the time to the millisecond.
    std::map<long long, std::size_t> seen;
    for (const PositionLine& line : lines) {
        const std::size_t k = seen[line.round]++;
        std::string roundMs;
        std::string gameMs;
        if (const auto found = rounds.find(line.round);
            found != rounds.end() && found->second.lineMs && k < found->second.lineMs->size()) {
            const long long ms = (*found->second.lineMs)[k];
            roundMs = Int(ms);
            gameMs = Int(found->second.row->offsetMs + ms);
        }
        std::string pairs;
        for (const auto& pair : line.winningPairs) {
            pairs += (pairs.empty() ? "" : " ") + CellName(pair[0]) + ":" + CellName(pair[1]);
        }
        positions_->Row({Int(header.number), Int(line.round), Int(line.number), gameMs, roundMs,
                         line.start ? "start" : "position", line.previousWon ? "1" : "0",
                         Int(line.series), CellName(line.cells[0]), CellName(line.cells[1]),
                         pairs});
    }
}

void Exporter::ExportUnlistedRounds() {
    for (std::size_t number = 0; number < kRoundNumbers; ++number) {
        if (!roundExists_[number] || done_[number]) {
            continue;
        }
        const std::string name = server::NumberedFileName('r', static_cast<int>(number));
        std::optional<RoundFile> round = ReadRound(name);
        if (!round) {
            continue;
        }
        const auto start = gameStartsByNumber_.find(round->gameNumber);
        WriteRound(name, *round, nullptr,
                   start != gameStartsByNumber_.end() ? start->second : std::string());
        // A round file beyond what its game's files count: the game ended
        // with rounds its game file lacks.
        if (const auto game = games_.find(round->gameNumber); game != games_.end()) {
            GameSummary& summary = game->second;
            for (long long missing = summary.expectedRounds + 1; missing <= round->round;
                 ++missing) {
                summary.missing.push_back(missing);
            }
            summary.expectedRounds = std::max(summary.expectedRounds, round->round);
        }
    }
}

std::string Ending(const GameSummary& game) {
    std::set<long long> missing(game.missing.begin(), game.missing.end());
    for (const long long round : game.presentBeyond) {
        missing.erase(round);
    }
    if (missing.empty()) {
        return "complete";
    }
    return missing == std::set<long long>{game.expectedRounds} ? "last_round_missing"
                                                               : "rounds_missing";
}

ExportResult Exporter::Run() {
    ExportResult result;
    const server::RecordsCheck check =
        server::CheckRecords(options_.labFolder, vocabularies_.SubjectTexts());
    if (!check.unusable.empty() || !ListFolders()) {
        result.status = kExportUnreadable;
        result.message =
            "cannot read the lab folder: " +
            (check.unusable.empty() ? folders_.log.string() + " cannot be listed" : check.unusable);
        return result;
    }
    std::error_code error;
    fs::create_directories(options_.outFolder, error);
    if (error || !fs::is_directory(options_.outFolder)) {
        result.status = kExportCannotWrite;
        result.message = "cannot create the output folder " + options_.outFolder.string();
        return result;
    }
    labId_ = FindLabId(options_.labFolder);
    if (labId_.empty()) {
        labId_ = options_.labId;
    } else if (!options_.labId.empty() && options_.labId != labId_) {
        result.message += "the lab folder has its own identity " + labId_ + "; --lab " +
                          options_.labId + " is not used\n";
    }
    result.labId = labId_;
    const auto open = [&](std::string_view file) {
        return std::make_unique<TableFile>(options_.outFolder, TableNamed(file), labId_);
    };
    games_csv_ = open("games.csv");
    rounds_ = open("rounds.csv");
    events_ = open("events.csv");
    positions_ = open("positions.csv");
    subjects_ = open("subjects.csv");
    connections_ = open("connections.csv");
    sessions_ = ReadSessionFacts(options_.labFolder, connections_.get());

    ExportSubjects();
    for (const std::string& name : gameNames_) {
        ExportGame(name);
    }
    ExportUnlistedRounds();
    const std::size_t presentAt = ColumnIndex(TableNamed("games.csv"), "rounds_present");
    const std::size_t endingAt = ColumnIndex(TableNamed("games.csv"), "ending");
    for (auto& [number, game] : games_) {
        if (game.fields.empty()) {
            continue;  // only unlisted rounds name it
        }
        // Filled in once every round file is read.
        game.fields[presentAt] = Int(game.present);
        game.fields[endingAt] = Ending(game);
        games_csv_->Row(game.fields);
    }

    std::vector<server::RecordProblem> problems = check.problems;
    result.games = check.games;
    result.rounds = roundCount_;
    result.problems = problems.size() + parseErrors_.size();
    result.status = !parseErrors_.empty() ? kExportUnreadable
                    : problems.empty()    ? kExportClean
                                          : kExportProblems;
    // The terminal shows the first problems; problems.csv has them all.
    std::vector<std::string> lines;
    for (const Unreadable& unreadable : parseErrors_) {
        lines.push_back(unreadable.file +
                        (unreadable.line > 0 ? ":" + std::to_string(unreadable.line) : "") + ": " +
                        unreadable.text);
    }
    for (const server::RecordProblem& problem : problems) {
        lines.push_back(Utf8(server::ProblemLine(problem)));
    }
    for (std::size_t i = 0; i < std::min(lines.size(), kProblemsShown); ++i) {
        result.message += lines[i] + "\n";
    }
    if (lines.size() > kProblemsShown) {
        result.message +=
            "... and " + std::to_string(lines.size() - kProblemsShown) + " more in problems.csv\n";
    }
    const bool writeTables = result.status == kExportClean || options_.allowProblems;
    bool written = WriteProblems(problems);
    TableFile codebook(options_.outFolder, TableNamed("codebook.csv"));
    WriteCodebookRows(codebook);
    written = codebook.Finish() && written;
    written = WriteOutputFile(options_.outFolder / "codebook.md", CodebookMarkdown()) && written;
    for (std::unique_ptr<TableFile>* table :
         {&games_csv_, &rounds_, &events_, &positions_, &subjects_, &connections_}) {
        if (writeTables) {
            written = (*table)->Finish() && written;
        } else {
            // Tables of an earlier export would no longer match problems.csv.
            const fs::path old = (*table)->path();
            table->reset();
            fs::remove(old, error);
        }
    }
    if (!written) {
        result.status = kExportCannotWrite;
        result.message += "cannot write the tables into " + options_.outFolder.string() + "\n";
    }
    return result;
}

bool Exporter::WriteProblems(const std::vector<server::RecordProblem>& problems) {
    struct Row {
        std::string file;
        std::size_t line;
        std::string kind;
        std::string text;
    };
    std::vector<Row> rows;
    for (const server::RecordProblem& problem : problems) {
        rows.push_back({problem.file, problem.line,
                        std::string(server::ProblemKindName(problem.kind)), Utf8(problem.text)});
    }
    for (const Unreadable& unreadable : parseErrors_) {
        rows.push_back({unreadable.file, unreadable.line, kCannotParseKind, unreadable.text});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    TableFile table(options_.outFolder, TableNamed("problems.csv"), labId_);
    for (const Row& row : rows) {
        table.Row({row.file, row.line > 0 ? Int(static_cast<long long>(row.line)) : "", row.kind,
                   row.text});
    }
    return table.Finish();
}

// Whether `inner` is `outer` or lies below it, after resolving links.
bool Inside(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path a = fs::weakly_canonical(fs::absolute(inner), error);
    const fs::path b = fs::weakly_canonical(fs::absolute(outer), error);
    auto [end, _] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return end == b.end();
}

}  // namespace

ExportResult ExportLab(const ExportOptions& options) {
    ExportResult result;
    if (Inside(options.outFolder, options.labFolder)) {
        result.status = kExportUsage;
        result.message = "the output folder " + options.outFolder.string() +
                         " lies in the lab folder; quib_export never writes into it\n";
        return result;
    }
    const std::optional<Vocabularies> vocabularies =
        Vocabularies::ForLab(options.labFolder, options.languageFile);
    if (!vocabularies) {
        result.status = kExportUsage;
        result.message = "cannot read the language file " + options.languageFile->string() + "\n";
        return result;
    }
    return Exporter(options, *vocabularies).Run();
}

}  // namespace quib::exporter
