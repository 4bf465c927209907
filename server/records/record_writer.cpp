#include "server/records/record_writer.h"

#include <sys/stat.h>

#include <cerrno>

#include "common/file_io.h"
#include "server/records/record_text.h"
#include "server/records/round_file.h"
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
    const std::optional<std::string> content = ReadWholeFile(file);
    if (!content) {
        return ExistingFile::Unreadable;
    }
    text = TrimmedLines(*content);
    return ExistingFile::Read;
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view text) {
    if (!file.has_filename()) {
        return false;
    }
    return WriteFileAtomically(file, text, WriteMode::Replace) == WriteResult::Written;
}

}  // namespace

RecordWriter::RecordWriter(const ServerTexts& texts, WorkFolders folders, MessageSink* boxes,
                           std::function<void(const std::string&)> log)
    : texts_(texts), folders_(std::move(folders)), boxes_(boxes), log_(std::move(log)) {}

RecordOutcome RecordWriter::Write(const FinishedRound& round) {
    RecordOutcome outcome;
    if (!WriteRoundFile(round)) {
        log_(texts_[txt::kRoundAndGameNotSaved] + " " + round.fileName);
        return outcome;
    }
    outcome.roundSaved = true;
    bool newFile = false;
    const std::string& name = round.game.fileName;
    bool saved = WriteGameFile(GameFileKind::Game, round, newFile) &&
                 WriteGameFile(GameFileKind::Positions, round, newFile);
    outcome.positionLinesSaved = saved;
    // Both seats are handled even when the first fails.
    if (saved) {
        const bool first = UpdateSubjectFile(0, round, outcome);
        const bool second = UpdateSubjectFile(1, round, outcome);
        saved = first && second;
    }
    log_(saved ? texts_[txt::kSaved] + " " + name + " " +
                     (newFile ? texts_[txt::kNewFile] : texts_[txt::kExistingFile]) + " / " +
                     round.fileName
               : texts_[txt::kGameNotSaved] + " " + name);
    return outcome;
}

bool RecordWriter::WriteRoundFile(const FinishedRound& round) {
    if (CanNameFile(folders_.log, round.fileName) &&
        ReplaceFile(folders_.log / round.fileName, RoundFileText(round, texts_))) {
        return true;
    }
    ShowWriteFailure(ShownPath(folders_.log, round.fileName));
    return false;
}

// A file that exists but cannot be read is left as it is.
bool RecordWriter::WriteGameFile(GameFileKind kind, const FinishedRound& round, bool& newFile) {
    const std::filesystem::path& folder = kind == GameFileKind::Game ? folders_.log : folders_.log2;
    const std::string& name = round.game.fileName;
    if (!CanNameFile(folder, name)) {
        ShowWriteFailure(ShownPath(folder, name));
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
    if (!ReplaceFile(folder / name, GameFileText(kind, existing, round, texts_))) {
        ShowWriteFailure(ShownPath(folder, name));
        return false;
    }
    return true;
}

// A seat played without a chosen subject has no file to keep up to date. A
// subject file whose layout is not recognised is left as it is.
bool RecordWriter::UpdateSubjectFile(int seat, const FinishedRound& round, RecordOutcome& outcome) {
    const std::string& file = round.seats[seat].subject.subjectFile;
    if (file.empty()) {
        return true;
    }
    // The raw bytes: lines the program does not own are kept as they are.
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        ShowReadFailure(file);
        return false;
    }
    std::optional<SubjectUpdate> update = SubjectFileAfterRound(*text, seat, round, texts_);
    if (!update) {
        const std::string report = texts_[txt::kFileLayoutUnknown] + " " + file;
        if (boxes_ != nullptr) {
            boxes_->ShowMessage(texts_[txt::kErrorTitle], report);
        }
        log_(report);
        return false;
    }
    outcome.subjects[seat] = std::move(update->subject);
    if (!ReplaceFile(file, update->text)) {
        ShowWriteFailure(file);
        return false;
    }
    return true;
}

void RecordWriter::ShowReadFailure(const std::string& shownPath) const {
    if (boxes_ != nullptr) {
        boxes_->ShowMessage(texts_[txt::kErrorTitle],
                            texts_[txt::kCannotReadFile] + ": " + shownPath);
    }
}

void RecordWriter::ShowWriteFailure(const std::string& shownPath) const {
    if (boxes_ != nullptr) {
        boxes_->ShowMessage(texts_[txt::kErrorTitle],
                            texts_[txt::kCannotWriteFile] + " " + shownPath);
    }
}

}  // namespace quib::server
