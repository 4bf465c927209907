#include "server/records/record_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <iterator>
#include <set>
#include <utility>

#include "common/file_io.h"
#include "server/records/file_numbering.h"
#include "server/records/record_text.h"
#include "server/records/record_transaction.h"
#include "server/records/round_file.h"
#include "server/records/subject_read.h"
#include "server/records/subject_rounds.h"

namespace quib::server {
namespace {

// The path as shown in the failure boxes, with "/" separators. An empty
// file name (no free number was left) shows as the folder with a trailing "/".
std::string ShownPath(const std::filesystem::path& folder, std::string_view fileName) {
    return (folder / "").generic_string() + std::string(fileName);
}

// Whether a record file can be named at all: a record without a free number
// has no name, and a writer whose folder was never set up must not write
// into whatever the current directory happens to be.
bool CanNameFile(const std::filesystem::path& folder, std::string_view fileName) {
    return !folder.empty() && !fileName.empty();
}

enum class ExistingFile {
    Missing,     // nothing of that name: a new file is started
    Read,        // its trimmed text was read
    Unreadable,  // something of that name exists but cannot be read
};

// Record files are only ever regular files of their own folder: a link
// there (to a file outside, or dangling) is refused, never followed.
bool IsLink(const std::filesystem::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

ExistingFile ReadExistingFile(const std::filesystem::path& file, std::string& text) {
    // lstat: a dangling link still names a file that must not be replaced
    // by a fresh one. Only a name that is certainly free (nothing of that
    // name, or its folder is no folder) starts a new file; when the system
    // cannot tell, the file is taken as unreadable and left alone.
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) {
        const bool free = errno == ENOENT || errno == ENOTDIR;
        return free ? ExistingFile::Missing : ExistingFile::Unreadable;
    }
    const std::optional<std::string> content = ReadWholeFile(file, LinkRule::Refuse);
    if (!content) {
        return ExistingFile::Unreadable;
    }
    text = TrimmedLines(*content);
    return ExistingFile::Read;
}

// Replaces a regular file of the folder itself, as a staged record file is
// replaced: a link of that name is refused, not followed.
bool ReplaceRecordFile(const std::filesystem::path& file, std::string_view text) {
    const std::optional<PreparedFile> prepared = PrepareReplacement(file, text, LinkRule::Refuse);
    if (!prepared) {
        return false;
    }
    if (!CommitReplacement(*prepared)) {
        ::unlink(prepared->temp.c_str());
        return false;
    }
    return true;
}

bool Exists(const std::filesystem::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0;
}

}  // namespace

RecordWriter::RecordWriter(const ServerTexts& texts, WorkFolders folders, MessageSink* boxes,
                           std::function<void(const std::string&)> log)
    : texts_(texts),
      folders_(std::move(folders)),
      journal_(folders_.log.empty() ? std::filesystem::path() : folders_.log / kJournalName),
      boxes_(boxes),
      log_(std::move(log)) {}

RecordOutcome RecordWriter::Write(const FinishedRound& round) {
    waiting_.push_back(round);
    return WriteWaiting();
}

std::deque<FinishedRound> RecordWriter::TakeWaiting() {
    return std::exchange(waiting_, {});
}

void RecordWriter::KeepWaiting(std::deque<FinishedRound> rounds) {
    rounds.insert(rounds.end(), std::make_move_iterator(waiting_.begin()),
                  std::make_move_iterator(waiting_.end()));
    waiting_ = std::move(rounds);
}

RecordOutcome RecordWriter::WriteWaiting() {
    RecordOutcome outcome;
    // An earlier round whose renames failed after its journal was written
    // is finished first: the rounds after it build on it.
    if (!journal_.empty() && Exists(journal_)) {
        ReportRefusedJournalEntries(CompleteJournal(folders_).refused);
    }
    // Rounds of one game go into its files in order: after a round that
    // fails, the later rounds of its game wait behind it. Other games' rounds
    // do not depend on it and are written. Only the first failed round is
    // shown in a box, not every round waiting behind it; the log view has a
    // line for each.
    roundFailed_ = false;
    std::set<std::string> blockedGames;
    std::deque<FinishedRound> stillWaiting;
    while (!waiting_.empty()) {
        FinishedRound next = std::move(waiting_.front());
        waiting_.pop_front();
        const bool isThisRound = waiting_.empty();
        if (blockedGames.contains(next.game.fileName)) {
            if (isThisRound) {
                log_(texts_[txt::kRoundAndGameNotSaved] + " " + next.fileName);
            }
            stillWaiting.push_back(std::move(next));
        } else if (WriteRoundFiles(next, outcome)) {
            outcome.roundSaved = isThisRound;
        } else {
            blockedGames.insert(next.game.fileName);
            stillWaiting.push_back(std::move(next));
            roundFailed_ = true;
        }
    }
    waiting_ = std::move(stillWaiting);
    RetryDueSubjectUpdates(outcome);
    return outcome;
}

bool RecordWriter::WriteRoundFiles(const FinishedRound& round, RecordOutcome& outcome) {
    RecordTransaction files(folders_);
    const bool canName = CanNameFile(folders_.log, round.fileName) && !journal_.empty();
    if (!canName) {
        ShowWriteFailure(ShownPath(folders_.log, round.fileName));
    }
    if (!canName ||
        !StageReported(files, RecordFolder::Log, round.fileName, RoundFileText(round, texts_))) {
        log_(texts_[txt::kRoundAndGameNotSaved] + " " + round.fileName);
        return false;
    }
    bool newFile = false;
    if (!StageGameFile(GameFileKind::Game, round, files, newFile) ||
        !StageGameFile(GameFileKind::Positions, round, files, newFile)) {
        log_(texts_[txt::kRoundAndGameNotSaved] + " " + round.fileName);
        return false;
    }
    // Both seats are handled even when the first fails.
    std::array<std::optional<SubjectRecord>, kRecordedSeats> updated;
    const bool first = StageSubjectFile(0, round, files, updated[0]);
    const bool second = StageSubjectFile(1, round, files, updated[1]);
    if (!files.Commit()) {
        ShowWriteFailure(ShownPath(folders_.log, round.fileName));
        log_(texts_[txt::kRoundAndGameNotSaved] + " " + round.fileName);
        return false;
    }
    for (int seat = 0; seat < kRecordedSeats; ++seat) {
        const std::string& file = round.seats[seat].subject.subjectFile;
        if (file.empty()) {
            continue;
        }
        const SubjectKey key{file, round.game.fileName};
        if (updated[seat]) {
            outcome.subjects[seat] = updated[seat];
            subjectUpdatesDue_.erase(key);
        } else {
            subjectUpdatesDue_[key] = {round, seat};
        }
    }
    log_(first && second ? texts_[txt::kSaved] + " " + round.game.fileName + " " +
                               (newFile ? texts_[txt::kNewFile] : texts_[txt::kExistingFile]) +
                               " / " + round.fileName
                         : texts_[txt::kGameNotSaved] + " " + round.game.fileName);
    return true;
}

// A file that exists but cannot be read is left as it is.
bool RecordWriter::StageGameFile(GameFileKind kind, const FinishedRound& round,
                                 RecordTransaction& files, bool& newFile) {
    const RecordFolder recordFolder =
        kind == GameFileKind::Game ? RecordFolder::Log : RecordFolder::Log2;
    const std::filesystem::path& folder = kind == GameFileKind::Game ? folders_.log : folders_.log2;
    const std::string& name = round.game.fileName;
    if (!CanNameFile(folder, name)) {
        ShowWriteFailure(ShownPath(folder, name));
        return false;
    }
    // A link is refused before it is read: neither a file outside nor a
    // dangling link's nothing may become the base of the game's file.
    if (IsLink(folder / name)) {
        ShowNotARegularFile(ShownPath(folder, name));
        return false;
    }
    std::string text;
    std::optional<std::string> existing;
    switch (ReadExistingFile(folder / name, text)) {
        case ExistingFile::Missing:
            newFile = true;
            break;
        case ExistingFile::Read:
            existing = std::move(text);
            break;
        case ExistingFile::Unreadable:
            ShowReadFailure(ShownPath(folder, name));
            return false;
    }
    return StageReported(files, recordFolder, name, GameFileText(kind, existing, round, texts_));
}

// Stages a record file; a failure is shown in a box naming the file, and a
// name taken by a link or other non-file also gets its line in the log view.
bool RecordWriter::StageReported(RecordTransaction& files, RecordFolder folder,
                                 const std::string& name, std::string_view bytes) {
    const std::filesystem::path& directory =
        folder == RecordFolder::Log ? folders_.log : folders_.log2;
    switch (files.Stage(folder, name, bytes)) {
        case StageResult::Staged:
            return true;
        case StageResult::NotARegularFile:
            ShowNotARegularFile(ShownPath(directory, name));
            return false;
        case StageResult::Failed:
            break;
    }
    ShowWriteFailure(ShownPath(directory, name));
    return false;
}

// A seat played without a chosen subject has no file to keep up to date.
bool RecordWriter::StageSubjectFile(int seat, const FinishedRound& round, RecordTransaction& files,
                                    std::optional<SubjectRecord>& updated) {
    const std::string& file = round.seats[seat].subject.subjectFile;
    if (file.empty()) {
        return true;
    }
    const std::optional<std::string> name = SubjectFileName(file);
    if (!name) {
        ShowWriteFailure(file);
        return false;
    }
    if (IsLink(folders_.log / *name)) {
        ShowNotARegularFile(file);
        return false;
    }
    SubjectRecord subject;
    const std::optional<std::string> text = SubjectFileAfter(round, seat, true, subject);
    if (!text) {
        return false;
    }
    if (!StageReported(files, RecordFolder::Log, *name, *text)) {
        return false;
    }
    updated = subject;
    return true;
}

// The subject's file as it is now, with the round in it; nothing when it
// cannot be read or its layout is not recognised (such a file is left as it
// is). The update builds on the file's own totals and the game's row in it,
// so applying it again, as a retry does, changes nothing.
std::optional<std::string> RecordWriter::SubjectFileAfter(const FinishedRound& round, int seat,
                                                          bool report, SubjectRecord& updated) {
    const std::string& file = round.seats[seat].subject.subjectFile;
    // The raw bytes: lines the program does not own are kept as they are.
    const std::optional<std::string> name = SubjectFileName(file);
    const std::optional<std::string> text =
        name ? ReadWholeFile(folders_.log / *name, LinkRule::Refuse) : std::nullopt;
    if (!text) {
        if (report) {
            ShowReadFailure(file);
        }
        return std::nullopt;
    }
    SubjectRefusal refusal;
    std::optional<SubjectUpdate> update =
        SubjectFileAfterRound(*text, seat, round, texts_, &refusal);
    if (!update) {
        if (report) {
            const std::string shown = RefusedFileText(file, refusal, texts_);
            ShowBox(shown);
            log_(shown);
        }
        return std::nullopt;
    }
    updated = std::move(update->subject);
    return std::move(update->text);
}

// Updates that failed were reported when they did; trying again is quiet.
void RecordWriter::RetryDueSubjectUpdates(RecordOutcome& outcome) {
    for (auto due = subjectUpdatesDue_.begin(); due != subjectUpdatesDue_.end();) {
        SubjectRecord subject;
        const auto& [round, seat] = due->second;
        const std::optional<std::string> text = SubjectFileAfter(round, seat, false, subject);
        const std::optional<std::string> name = SubjectFileName(subject.subjectFile);
        if (text && name && ReplaceRecordFile(folders_.log / *name, *text)) {
            outcome.subjects[seat] = subject;
            due = subjectUpdatesDue_.erase(due);
        } else {
            ++due;
        }
    }
}

void RecordWriter::RecoverUnfinishedWrites() {
    const RecoveredWrites recovered = quib::server::RecoverUnfinishedWrites(folders_);
    ReportRefusedJournalEntries(recovered.refused);
    // A journal holds one round: its round file and its game's files.
    std::string game;
    std::string round;
    for (const std::string& name : recovered.completed) {
        if (name[0] == 'g') {
            game = name;
        } else if (name[0] == 'r') {
            round = name;
        }
    }
    if (!round.empty()) {
        log_(texts_[txt::kSaved] + " " + game + " / " + round);
    }
    for (const std::string& name : recovered.discarded) {
        if (name[0] == 'r') {
            log_(texts_[txt::kRoundAndGameNotSaved] + " " + name);
        }
    }
}

bool RecordWriter::HoldsGameNumber(std::int32_t number) const {
    for (const FinishedRound& round : waiting_) {
        if (round.game.number == number) {
            return true;
        }
    }
    return false;
}

bool RecordWriter::HoldsRoundNumber(std::int32_t number) const {
    const std::string name = NumberedFileName('r', number);
    for (const FinishedRound& round : waiting_) {
        if (round.fileName == name) {
            return true;
        }
    }
    return false;
}

// The subject file's name in log/, when `file` names one there. The seats
// carry full paths; a path into any other folder is none of the records'
// files and is never written.
std::optional<std::string> RecordWriter::SubjectFileName(const std::string& file) const {
    const std::filesystem::path path(file);
    const std::string name = path.filename().string();
    if (folders_.log.empty() || !IsRecordFileNameIn(RecordFolder::Log, name) ||
        !IsNumberedFileName(name, 'p')) {
        return std::nullopt;
    }
    const std::filesystem::path folder = path.parent_path();
    std::error_code error;
    if (folder.lexically_normal() != folders_.log.lexically_normal() &&
        !std::filesystem::equivalent(folder, folders_.log, error)) {
        return std::nullopt;
    }
    return name;
}

void RecordWriter::ReportRefusedJournalEntries(const std::vector<std::string>& refused) const {
    for (const std::string& entry : refused) {
        log_(texts_[txt::kJournalEntryRefused] + " " + entry);
    }
}

// The failure box every write failure shows, and a line in the log view
// saying why this one cannot be written.
void RecordWriter::ShowNotARegularFile(const std::string& shownPath) const {
    ShowWriteFailure(shownPath);
    log_(texts_[txt::kNotARegularFile] + " " + shownPath);
}

void RecordWriter::ShowReadFailure(const std::string& shownPath) const {
    ShowBox(texts_[txt::kCannotReadFile] + ": " + shownPath);
}

void RecordWriter::ShowWriteFailure(const std::string& shownPath) const {
    ShowBox(texts_[txt::kCannotWriteFile] + " " + shownPath);
}

void RecordWriter::ShowBox(const std::string& text) const {
    if (boxes_ != nullptr && !roundFailed_) {
        boxes_->ShowMessage(texts_[txt::kErrorTitle], text);
    }
}

}  // namespace quib::server
