#include "testing/synthetic_lab/synthetic_lab.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/key_codes.h"
#include "common/work_folders.h"
#include "server/core/message_sink.h"
#include "server/core/server_state.h"
#include "server/core/settings.h"
#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/game/game.h"
#include "server/game/random_source.h"
#include "server/game/stimulus.h"
#include "server/records/file_numbering.h"
#include "server/records/finished_round.h"
#include "server/records/game_files.h"
#include "server/records/record_numbers.h"
#include "server/records/record_text.h"
#include "server/records/record_writer.h"
#include "server/records/round_file.h"
#include "server/records/subject_comment.h"
#include "server/records/subject_create.h"
#include "server/records/subject_format.h"
#include "server/records/subject_read.h"
#include "server/records/subject_rounds.h"

namespace quib::testing {
namespace {

namespace fs = std::filesystem;
namespace txt = server::txt;

// A uniformly drawn integer in lo .. hi, from the generator's raw output,
// which the standard fixes (a distribution's is left to the library): a seed
// gives the same lab with any standard library.
int Draw(std::mt19937& random, int lo, int hi) {
    const auto span = static_cast<std::uint32_t>(hi - lo) + 1;
    return lo + static_cast<int>(random() % span);
}

bool Chance(std::mt19937& random, int percent) {
    return Draw(random, 0, 99) < percent;
}

// The game's random source: the lab's generator stands in for the one the
// server reseeds with its timer, so the boards follow from the lab's seed.
class LabRandom final : public server::RandomSource {
  public:
    explicit LabRandom(std::mt19937& random) : random_(random) {}
    void Reseed(std::uint32_t /*seed*/) override {}
    int Random(int n) override { return Draw(random_, 0, n); }

  private:
    std::mt19937& random_;
};

// Game and round numbers counted up from 0: what the server's
// FolderRecordNumbers gives in a folder that started empty and from which
// nothing was archived, without listing log/ before every round.
class CountedNumbers final : public server::RecordNumbers {
  public:
    std::int32_t NextGameNumber() override { return game_++; }
    std::int32_t NextRoundNumber() override { return round_++; }

  private:
    std::int32_t game_ = 0;
    std::int32_t round_ = 0;
};

// Keeps the text of the last failure box, for the exception.
struct LastBox : server::MessageSink {
    std::string text;
    void ShowMessage(const std::string& /*title*/, const std::string& shown) override {
        text = shown;
    }
};

constexpr std::int64_t kSecondMs = 1000;
constexpr std::int64_t kMinuteMs = 60 * kSecondMs;
constexpr std::int64_t kHourMs = 60 * kMinuteMs;
constexpr std::int64_t kDayMs = 24 * kHourMs;
// Sessions start from 08:30 on; a game is not begun after 18:00.
constexpr std::int64_t kFirstStartMs = 8 * kHourMs + 30 * kMinuteMs;
constexpr std::int64_t kLastStartMs = 18 * kHourMs;
// The server is started at 08:00 each morning and its millisecond timer
// (the time since the computer started) stands a few minutes on by then.
constexpr std::int64_t kServerStartMs = 8 * kHourMs;
constexpr std::int64_t kTimerAtServerStartMs = 4 * kMinuteMs;
// The network thread's pass: the exchange rhythm of some 80 replies a second.
constexpr int kPassMs = 12;

// The lab's wall clock and the server's millisecond timer.
class LabClock {
  public:
    server::LocalTime Local() const {
        const std::chrono::year_month_day date{day_ + std::chrono::days(msOfDay_ / kDayMs)};
        const std::int64_t ms = msOfDay_ % kDayMs;
        return {static_cast<int>(date.year()),
                static_cast<int>(static_cast<unsigned>(date.month())),
                static_cast<int>(static_cast<unsigned>(date.day())),
                static_cast<int>(ms / kHourMs),
                static_cast<int>(ms / kMinuteMs % 60),
                static_cast<int>(ms / kSecondMs % 60)};
    }

    std::uint32_t Timer() const {
        return static_cast<std::uint32_t>(kTimerAtServerStartMs + msOfDay_ - kServerStartMs);
    }

    void Advance(std::int64_t ms) { msOfDay_ += ms; }
    // Milliseconds since the morning of the day the game began.
    std::int64_t MsOfDay() const { return msOfDay_; }

    // Where the next game starts: after a break for the next pair of
    // subjects, or on the next weekday's morning.
    void NextGame(std::mt19937& random) {
        msOfDay_ += Draw(random, 2, 12) * kMinuteMs + Draw(random, 0, 59) * kSecondMs;
        if (msOfDay_ < kLastStartMs) {
            return;
        }
        day_ += std::chrono::days(msOfDay_ / kDayMs + 1);
        while (std::chrono::weekday(day_) == std::chrono::Saturday ||
               std::chrono::weekday(day_) == std::chrono::Sunday) {
            day_ += std::chrono::days(1);
        }
        msOfDay_ = kFirstStartMs + Draw(random, 0, 20) * kMinuteMs;
    }

  private:
    std::chrono::sys_days day_ = std::chrono::year(2026) / 1 / 5;  // a Monday
    std::int64_t msOfDay_ = kFirstStartMs;
};

// Where finished rounds go.
class RoundFiles {
  public:
    virtual ~RoundFiles() = default;
    virtual server::RecordOutcome Write(const server::FinishedRound& round) = 0;
    // After a game's last round.
    virtual void EndGame() {}
};

class ServerRoundFiles final : public RoundFiles {
  public:
    ServerRoundFiles(const server::ServerTexts& texts, const WorkFolders& folders)
        : writer_(texts, folders, &box_, [](const std::string&) {}) {}

    server::RecordOutcome Write(const server::FinishedRound& round) override {
        server::RecordOutcome outcome = writer_.Write(round);
        if (!outcome.roundSaved || !outcome.subjects[0] || !outcome.subjects[1]) {
            throw std::runtime_error("the record writer could not write " + round.fileName + ": " +
                                     box_.text);
        }
        return outcome;
    }

    const server::RecordWriter& writer() const { return writer_; }

  private:
    LastBox box_;
    server::RecordWriter writer_;
};

void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

class DirectRoundFiles final : public RoundFiles {
  public:
    DirectRoundFiles(const server::ServerTexts& texts, const WorkFolders& folders)
        : texts_(texts), folders_(folders) {}

    ~DirectRoundFiles() override = default;

    server::RecordOutcome Write(const server::FinishedRound& round) override {
        WriteFile(folders_.log / round.fileName, server::RoundFileText(round, texts_));
        gameName_ = round.game.fileName;
        // The record writer reads a game's files back before each round,
        // trimmed as TrimmedLines gives them.
        gameText_ = GameFileText(server::GameFileKind::Game, gameText_, round);
        positionText_ = GameFileText(server::GameFileKind::Positions, positionText_, round);
        server::RecordOutcome outcome;
        for (int seat = 0; seat < server::kRecordedSeats; ++seat) {
            const std::string& file = round.seats[seat].subject.subjectFile;
            auto known = subjectTexts_.find(file);
            if (known == subjectTexts_.end()) {
                std::optional<std::string> bytes = ReadWholeFile(file);
                if (!bytes) {
                    throw std::runtime_error("cannot read " + file);
                }
                known = subjectTexts_.emplace(file, std::move(*bytes)).first;
            }
            std::optional<server::SubjectUpdate> update =
                server::SubjectFileAfterRound(known->second, seat, round, texts_);
            if (!update) {
                throw std::runtime_error("the layout of " + file + " is not recognised");
            }
            known->second = std::move(update->text);
            outcome.subjects[seat] = std::move(update->subject);
        }
        outcome.roundSaved = true;
        return outcome;
    }

    void EndGame() override {
        if (gameText_) {
            WriteFile(folders_.log / gameName_, *gameText_);
            WriteFile(folders_.log2 / gameName_, *positionText_);
        }
        for (const auto& [file, text] : subjectTexts_) {
            WriteFile(file, text);
        }
        gameText_.reset();
        positionText_.reset();
        subjectTexts_.clear();
    }

  private:
    std::string GameFileText(server::GameFileKind kind, const std::optional<std::string>& last,
                             const server::FinishedRound& round) const {
        std::optional<std::string> existing;
        if (last) {
            existing = server::TrimmedLines(*last);
        }
        return server::GameFileText(kind, existing, round, texts_);
    }

    const server::ServerTexts& texts_;
    WorkFolders folders_;
    std::string gameName_;
    std::optional<std::string> gameText_;
    std::optional<std::string> positionText_;
    // The game's subjects' files as they stand, by full path.
    std::map<std::string, std::string> subjectTexts_;
};

// Names and comments as experimenters type them, in Windows-1252; a few
// comments run over several lines and hold the separator.
constexpr std::string_view kNames[] = {
    "Anna",  "B\xE4rbel", "Chlo\xE9", "Dieter", "Emre",      "Fran\xE7oise", "G\xFCnther",
    "Hanna", "Ida",       "J\xF6rg",  "Kai",    "L\xE9onie", "Mats",         "Nils",
    "Olga",  "Pia",       "Ren\xE9",  "Sven",   "T\xFCl",    "Uwe",          "Zo\xEB"};
constexpr std::string_view kComments[] = {
    "Linksh\xE4nder",
    "kam 10 min sp\xE4ter; Runde 1 wiederholt",
    "Brille vergessen\nsieht die Farben trotzdem",
    "Studiengang: Psychologie; 3. Semester\r\nzweite Sitzung am Donnerstag",
};

constexpr int kLevelTexts[] = {txt::kLevel1, txt::kLevel2, txt::kLevel3,
                               txt::kLevel4, txt::kLevel5, txt::kLevel6};
constexpr int kSpeedTexts[] = {txt::kSpeedSlow, txt::kSpeedMedium, txt::kSpeedFast,
                               txt::kSpeedInstant};
// How long a figure takes from one cell to the next at each speed.
constexpr int kTravelMs[] = {700, 400, 200, kPassMs};
constexpr std::string_view kPictures[] = {"bauer0.png", "gesicht0.png", "herz0.png", "stern0.png"};
// Player 1's start list from entry 1, player 2's from entry 2.
constexpr int kStartTexts[] = {txt::kRandom, txt::kTopLeft, txt::kTopRight, txt::kBottomLeft,
                               txt::kBottomRight};
// How often the players agree on a stimulus, by level; more often when they
// see each other's board.
constexpr int kWinPercent[] = {70, 60, 45, 60, 50, 40};
constexpr int kOpenBonusPercent = 15;

// One thing a player does in a round, at a time of the lab's clock.
struct Action {
    std::int64_t at = 0;  // ms of the day
    int seat = 0;
    enum Kind { Key, Arrival, End } kind = Key;
    int key = 0;
};

int Column(int cell) {
    return cell % 2;
}

int Row(int cell) {
    return cell / 2;
}

// The arrow that leads from `cell` to the neighbouring cell in the other
// column (horizontal) or row.
int ArrowAcross(int cell, bool horizontal) {
    if (horizontal) {
        return Column(cell) == 0 ? kKeyRight : kKeyLeft;
    }
    return Row(cell) == 0 ? kKeyDown : kKeyUp;
}

int CellAfter(int cell, int key) {
    switch (key) {
        case kKeyRight:
            return cell + 1;
        case kKeyLeft:
            return cell - 1;
        case kKeyDown:
            return cell + 2;
        default:
            return cell - 2;
    }
}

// A player's round from the start on: a moment to look at the boards, now
// and then a cell or two of wandering, the way to the chosen end cell (one
// arrow at a time, the next only after the figure has arrived), and the
// space bar to end the round.
void PlanSeat(int seat, int startCell, int endCell, int level, int travelMs, std::int64_t start,
              std::mt19937& random, std::vector<Action>& actions) {
    std::int64_t at = start + Draw(random, 600, 1200 + 300 * level);
    int cell = startCell;
    auto move = [&](int key) {
        actions.push_back({at, seat, Action::Key, key});
        at += travelMs;
        cell = CellAfter(cell, key);
        actions.push_back({at, seat, Action::Arrival, 0});
        at += Draw(random, 150, 900);
    };
    const int wandering = Chance(random, 30) ? Draw(random, 1, 3) : 0;
    for (int i = 0; i < wandering; ++i) {
        move(ArrowAcross(cell, Chance(random, 50)));
    }
    const bool columnFirst = Chance(random, 50);
    for (const bool horizontal : {columnFirst, !columnFirst}) {
        const bool differs =
            horizontal ? Column(cell) != Column(endCell) : Row(cell) != Row(endCell);
        if (differs) {
            move(ArrowAcross(cell, horizontal));
        }
    }
    at += Draw(random, 200, 1500);
    actions.push_back({at, seat, Action::End, kKeySpace});
}

class LabSession {
  public:
    LabSession(const fs::path& workDir, const SyntheticLabOptions& options, std::mt19937& random)
        : workDir_(workDir),
          folders_(WorkFolders::In(workDir)),
          options_(options),
          random_(random),
          texts_(server::LoadTexts(workDir, server::kDefaultServerLanguageFile)) {
        if (options.writing == LabWriting::Server) {
            auto files = std::make_unique<ServerRoundFiles>(texts_, folders_);
            numbers_ = std::make_unique<server::FolderRecordNumbers>(folders_, files->writer());
            files_ = std::move(files);
        } else {
            numbers_ = std::make_unique<CountedNumbers>();
            files_ = std::make_unique<DirectRoundFiles>(texts_, folders_);
        }
        game_ = std::make_unique<server::Game>(state_, texts_, *numbers_);
        game_->randomSource = std::make_unique<LabRandom>(random_);
        game_->localClock = [this] { return clock_.Local(); };
        game_->grafikDir = folders_.grafik;
        game_->ResetScreens(server::ScreenReset::Full);
        game_->ResetScores(server::ResetKind::Everything);
    }

    SyntheticLab Run() {
        const std::vector<int> rounds = SpreadRounds();
        // Every subject sits down for the first time in turn; after that,
        // pairs are drawn from those who have played.
        std::vector<int> newcomers(static_cast<std::size_t>(options_.subjects));
        for (int i = 0; i < options_.subjects; ++i) {
            newcomers[static_cast<std::size_t>(i)] = options_.subjects - 1 - i;
        }
        for (const int roundsOfGame : rounds) {
            const int first = TakeSubject(newcomers, -1);
            const int second = TakeSubject(newcomers, first);
            PlayGame(first, second, roundsOfGame);
            clock_.NextGame(random_);
        }
        // Subjects who were registered but never played (fewer games than
        // pairs).
        while (!newcomers.empty()) {
            TakeSubject(newcomers, -1);
        }
        lab_.subjects = static_cast<int>(entries_.size());
        return lab_;
    }

  private:
    // Every game gets at least one round; the rest goes to the games by
    // drawn weights, so games differ in length as sessions do.
    std::vector<int> SpreadRounds() {
        const auto games = static_cast<std::size_t>(options_.games);
        std::vector<int> rounds(games, 1);
        std::vector<std::int64_t> weights(games);
        std::int64_t total = 0;
        for (std::int64_t& weight : weights) {
            weight = Draw(random_, 50, 150);
            total += weight;
        }
        const std::int64_t rest = options_.rounds - options_.games;
        std::int64_t given = 0;
        for (std::size_t g = 0; g < games; ++g) {
            const std::int64_t share = rest * weights[g] / total;
            rounds[g] += static_cast<int>(share);
            given += share;
        }
        for (; given < rest; ++given) {
            rounds[static_cast<std::size_t>(Draw(random_, 0, options_.games - 1))] += 1;
        }
        return rounds;
    }

    // A subject for a seat, other than `other`: the next newcomer while
    // there are any, else one of those who have played.
    int TakeSubject(std::vector<int>& newcomers, int other) {
        if (!newcomers.empty()) {
            const int subject = newcomers.back();
            newcomers.pop_back();
            CreateSubject(subject);
            return subject;
        }
        int subject = other;
        while (subject == other) {
            subject = Draw(random_, 0, static_cast<int>(entries_.size()) - 1);
        }
        return subject;
    }

    // "Neuen Probanten erstellen ...": the next free number, the typed name,
    // and for some a comment typed into the box below.
    void CreateSubject(int subject) {
        const server::NewSubjectPlan plan = server::PlanNewSubject(workDir_, texts_);
        const std::size_t nameIndex = static_cast<std::size_t>(subject) % std::size(kNames);
        std::string name(kNames[nameIndex]);
        if (static_cast<std::size_t>(subject) >= std::size(kNames)) {
            name += " " + std::to_string(subject / static_cast<int>(std::size(kNames)) + 1);
        }
        const server::CreateSubjectResult created =
            server::CreateSubjectFile(workDir_, texts_, plan.number, name, clock_.Local());
        if (created.status != server::CreateSubjectStatus::Created) {
            throw std::runtime_error("cannot create a subject file: " + created.errorText);
        }
        if (static_cast<int>(entries_.size()) != subject) {
            throw std::logic_error("subjects are created in order");
        }
        entries_.push_back(created.entry);
        if (Chance(random_, 30)) {
            const std::string file =
                server::SubjectFilePath(workDir_, server::SixDigits(created.number));
            const std::string_view comment = kComments[static_cast<std::size_t>(
                Draw(random_, 0, static_cast<int>(std::size(kComments)) - 1))];
            if (server::SaveCommentToFile(file, comment, texts_).status !=
                server::SaveCommentStatus::Saved) {
                throw std::runtime_error("cannot save the comment of " + file);
            }
        }
        clock_.Advance(Draw(random_, 20, 90) * kSecondMs);
    }

    server::SubjectRecord ReadSubject(int subject, const std::string& otherFile) {
        const server::SubjectReadResult read = server::ReadSubjectFile(
            workDir_, entries_[static_cast<std::size_t>(subject)], otherFile, texts_);
        if (!read.ok) {
            throw std::runtime_error("cannot read the subject " +
                                     entries_[static_cast<std::size_t>(subject)]);
        }
        return read.record;
    }

    // The experimenter's choices in the lists below the seats.
    void ChooseSettings() {
        server::GameSettings& s = state_.settings;
        s.level = Draw(random_, 1, 6);
        s.levelText = texts_[kLevelTexts[s.level - 1]];
        s.speed = Draw(random_, 1, 4);
        s.speedText = texts_[kSpeedTexts[s.speed - 1]];
        s.display = Draw(random_, 1, 2);  // 1 covered, 2 open
        s.displayText = texts_[s.display == 1 ? txt::kDisplayCovered : txt::kDisplayOpen];
        const int picture = Draw(random_, 0, static_cast<int>(std::size(kPictures)) - 1);
        s.figure[0] = 1 + picture;
        s.figureText[0] = kPictures[static_cast<std::size_t>(picture)];
        if (Chance(random_, 60)) {
            s.figure[1] = 1;
            s.figureText[1] = texts_[txt::kSameAsPlayer1];
        } else {
            const int other = Draw(random_, 0, static_cast<int>(std::size(kPictures)) - 1);
            s.figure[1] = 2 + other;
            s.figureText[1] = kPictures[static_cast<std::size_t>(other)];
        }
        s.start[0] = Draw(random_, 1, 5);
        s.startText[0] = texts_[kStartTexts[s.start[0] - 1]];
        s.start[1] = Draw(random_, 1, 6);
        s.startText[1] =
            texts_[s.start[1] == 1 ? txt::kSameAsPlayer1 : kStartTexts[s.start[1] - 2]];
    }

    void Step() { game_->Step(clock_.Timer()); }

    // One step with `key` of `seat` held down, then let go.
    void Press(int seat, int key) {
        game_->keyTable[static_cast<std::size_t>(seat)][static_cast<std::size_t>(key)] = 1;
        Step();
        game_->keyTable[static_cast<std::size_t>(seat)][static_cast<std::size_t>(key)] = 0;
    }

    void PlayGame(int first, int second, int rounds) {
        ChooseSettings();
        state_.subjects[0] = ReadSubject(first, "");
        state_.subjects[1] = ReadSubject(second, state_.subjects[0].subjectFile);
        state_.subjects[0] = ReadSubject(first, state_.subjects[1].subjectFile);
        state_.settings.startToggleDown = true;
        game_->BeginGame(clock_.Timer(), clock_.Local());
        lab_.games += 1;
        for (int round = 0; round < rounds; ++round) {
            if (round == rounds - 1) {
                // The experimenter releases the start button during the
                // last round: the game ends after it.
                state_.settings.startToggleDown = false;
            }
            PlayRound(round == 0);
        }
        After(kPassMs);
        Step();
        if (state_.gameState != server::Idle) {
            throw std::logic_error("the game did not end");
        }
        files_->EndGame();
    }

    void After(std::int64_t ms) { clock_.Advance(ms); }

    void PlayRound(bool firstOfGame) {
        After(kPassMs);
        Step();  // the round is set up
        if (state_.gameState != server::WaitStart) {
            throw std::logic_error("no round was set up");
        }
        if (firstOfGame) {
            // Each player presses the space bar to start; after continuing
            // from the last round both are ready at once.
            const int early = Draw(random_, 0, 1);
            After(Draw(random_, 500, 2500));
            Press(early, kKeySpace);
            After(Draw(random_, 100, 2000));
            Press(1 - early, kKeySpace);
        } else {
            After(kPassMs);
            Step();
        }
        if (state_.gameState != server::Running) {
            throw std::logic_error("the round did not start");
        }
        After(Draw(random_, 80, 250));
        Step();  // both let go of the space bar
        PlayMoves();
        std::optional<server::FinishedRound> finished = game_->TakeFinishedRound();
        if (!finished) {
            throw std::logic_error("the round was not judged");
        }
        Count(*finished);
        game_->RoundRecorded(files_->Write(*finished));
        if (state_.settings.startToggleDown) {
            // Both look at the result and ask for the next round.
            After(Draw(random_, 100, 300));
            Step();
            const int early = Draw(random_, 0, 1);
            After(Draw(random_, 600, 2500));
            Press(early, kKeySpace);
            After(Draw(random_, 100, 1500));
            Press(1 - early, kKeySpace);
        }
    }

    // Both players' plans on one timeline: the arrows, the figures'
    // arrivals (the screen composition reports them) and the space bars.
    void PlayMoves() {
        const std::array<server::SeatRecord, server::kSeats>& seats = game_->seats;
        std::vector<std::pair<int, int>> matching;
        std::vector<std::pair<int, int>> other;
        for (int a = 0; a < server::kCells; ++a) {
            for (int b = 0; b < server::kCells; ++b) {
                (server::SameStimulus(seats[0], a, seats[1], b) ? matching : other)
                    .emplace_back(a, b);
            }
        }
        const int level = state_.settings.level;
        const int winPercent =
            kWinPercent[level - 1] + (state_.settings.display == 2 ? kOpenBonusPercent : 0);
        const bool aimToWin = other.empty() || Chance(random_, winPercent);
        const std::vector<std::pair<int, int>>& targets = aimToWin ? matching : other;
        const auto [end0, end1] = targets[static_cast<std::size_t>(
            Draw(random_, 0, static_cast<int>(targets.size()) - 1))];
        const int travelMs = kTravelMs[state_.settings.speed - 1];
        const std::int64_t now = clock_.MsOfDay();
        std::vector<Action> actions;
        PlanSeat(0, server::CellIndex(seats[0]), end0, level, travelMs, now, random_, actions);
        PlanSeat(1, server::CellIndex(seats[1]), end1, level, travelMs, now, random_, actions);
        std::stable_sort(actions.begin(), actions.end(),
                         [](const Action& a, const Action& b) { return a.at < b.at; });
        for (const Action& action : actions) {
            clock_.Advance(action.at - clock_.MsOfDay());
            server::SeatRecord& seat = game_->seats[static_cast<std::size_t>(action.seat)];
            switch (action.kind) {
                case Action::Key: {
                    const int before = server::CellIndex(seat);
                    Press(action.seat, action.key);
                    if (server::CellIndex(seat) != CellAfter(before, action.key)) {
                        throw std::logic_error("the game did not take a planned arrow");
                    }
                    break;
                }
                case Action::Arrival:
                    seat.shownX = seat.targetX;
                    seat.shownY = seat.targetY;
                    game_->LogRoundEvent(server::PositionEvent, server::CellIndex(seat),
                                         action.seat, clock_.Timer());
                    break;
                case Action::End:
                    Press(action.seat, kKeySpace);
                    break;
            }
        }
    }

    void Count(const server::FinishedRound& round) {
        lab_.rounds += 1;
        lab_.wonRounds += round.won;
        lab_.roundsAtLevel[static_cast<std::size_t>(round.seats[0].level - 1)] += 1;
        lab_.openRounds += round.seats[0].displayMode == server::DisplayOpen ? 1 : 0;
        for (const std::string& event : round.events) {
            // "ms;hh:mm:ss;seat;kind;information"
            std::size_t kind = 0;
            for (int field = 0; field < 3; ++field) {
                kind = event.find(';', kind) + 1;
            }
            const std::string_view rest = std::string_view(event).substr(kind);
            lab_.keyEvents += rest.starts_with("Taste;") ? 1 : 0;
            lab_.arrivals += rest.starts_with("Position;") ? 1 : 0;
        }
    }

    fs::path workDir_;
    WorkFolders folders_;
    SyntheticLabOptions options_;
    std::mt19937& random_;
    server::ServerTexts texts_;
    LabClock clock_;
    server::ServerState state_;
    std::unique_ptr<RoundFiles> files_;
    std::unique_ptr<server::RecordNumbers> numbers_;
    std::unique_ptr<server::Game> game_;
    std::vector<std::string> entries_;  // selector entries "000042 - Name", by subject
    SyntheticLab lab_;
};

}  // namespace

SyntheticLab WriteSyntheticLab(const fs::path& workDir, const SyntheticLabOptions& options,
                               std::mt19937& random) {
    if (options.subjects < 2 || options.games < 1 || options.rounds < options.games) {
        throw std::invalid_argument("a lab needs two subjects and a round for every game");
    }
    if (fs::exists(workDir / kLogFolderName)) {
        throw std::invalid_argument(workDir.string() + " already holds a lab");
    }
    for (const char* folder : kWorkFolderNames) {
        fs::create_directories(workDir / folder);
    }
    LabSession session(workDir, options, random);
    return session.Run();
}

}  // namespace quib::testing
