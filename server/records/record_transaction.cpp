#include "server/records/record_transaction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <utility>

#include "server/records/file_numbering.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

// The folders' names as the journal writes them, below the lab folder.
std::string_view FolderName(RecordFolder folder) {
    return folder == RecordFolder::Log ? kLogFolderName : kPositionFolderName;
}

const fs::path& FolderPath(const WorkFolders& folders, RecordFolder folder) {
    return folder == RecordFolder::Log ? folders.log : folders.log2;
}

std::optional<RecordFolder> FolderNamed(std::string_view name) {
    if (name == kLogFolderName) {
        return RecordFolder::Log;
    }
    if (name == kPositionFolderName) {
        return RecordFolder::Log2;
    }
    return std::nullopt;
}

std::string JournalPath(RecordFolder folder, std::string_view name) {
    return std::string(FolderName(folder)) + "/" + std::string(name);
}

// Journal text: temporary file NUL target NUL, per staged file, each as
// "log/<name>" or "log2/<name>". NUL is the one byte no path can hold.
std::string JournalText(const auto& files) {
    std::string text;
    for (const auto& file : files) {
        text += JournalPath(file.folder, file.tempName);
        text += '\0';
        text += JournalPath(file.folder, file.name);
        text += '\0';
    }
    return text;
}

struct JournalEntry {
    std::string temp;
    std::string target;
};

std::optional<std::vector<JournalEntry>> ParseJournal(const std::string& text) {
    std::vector<std::string> paths;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\0', at);
        if (end == std::string::npos) {
            return std::nullopt;  // cut short: not a journal this program wrote
        }
        paths.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (paths.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<JournalEntry> entries;
    for (std::size_t i = 0; i < paths.size(); i += 2) {
        entries.push_back({paths[i], paths[i + 1]});
    }
    return entries;
}

// A file as a journal entry names it: one of the two folders and a name in it.
struct NamedFile {
    RecordFolder folder;
    std::string name;
};

// The folder of this lab that `written`, a folder as an absolute journal
// path names it, stands for: by its name, or by being the very same folder.
std::optional<RecordFolder> FolderWritten(std::string_view written, const WorkFolders& folders) {
    const std::string_view name = written.substr(written.rfind('/') + 1);
    if (const std::optional<RecordFolder> folder = FolderNamed(name)) {
        return folder;
    }
    std::error_code error;
    for (const RecordFolder folder : {RecordFolder::Log, RecordFolder::Log2}) {
        const fs::path& ours = FolderPath(folders, folder);
        if (!ours.empty() && fs::equivalent(fs::path(written), ours, error)) {
            return folder;
        }
    }
    return std::nullopt;
}

// The folder and name a journal path stands for; the name itself is checked
// by the caller.
//
// This program writes "log/<name>" or "log2/<name>": exactly two
// components. The version before it wrote absolute paths of the same files,
// "<lab folder>/log/<name>", so of an absolute path only the file's name
// and its folder count, resolved in the lab folder the journal lies in.
// That is sound because a journal only ever named files of the folder it
// was written into: in place it gives the same files as before, after a
// move or copy the files of the folder the journal moved with, and the old
// prefix, which may name a folder that is gone or the original of a copy,
// is never written to. The folder is known by its name, "log" or "log2";
// the old version resolved links, so a log/ that is a link to a folder of
// another name appears under that name, which is taken when it is the very
// same folder as this lab's (in place; after a move it is refused).
// Anything else (more or fewer components, "..", another folder, a relative
// path that is not ours) is refused.
std::optional<NamedFile> ResolveJournalPath(std::string_view path, const WorkFolders& folders) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) {
        return std::nullopt;
    }
    const std::string_view folderPart = path.substr(0, slash);
    std::optional<RecordFolder> folder;
    if (path.starts_with('/')) {
        folder = FolderWritten(folderPart, folders);
    } else if (folderPart.find('/') == std::string_view::npos) {
        folder = FolderNamed(folderPart);
    }
    if (!folder) {
        return std::nullopt;
    }
    return NamedFile{*folder, std::string(path.substr(slash + 1))};
}

// A journal entry that may be acted on: a record file of log/ or log2/ and a
// temporary file of its own beside it.
struct CheckedEntry {
    RecordFolder folder;
    std::string tempName;
    std::string name;
};

std::optional<CheckedEntry> CheckEntry(const JournalEntry& entry, const WorkFolders& folders) {
    const std::optional<NamedFile> target = ResolveJournalPath(entry.target, folders);
    const std::optional<NamedFile> temp = ResolveJournalPath(entry.temp, folders);
    if (!target || !temp || temp->folder != target->folder ||
        !IsRecordFileNameIn(target->folder, target->name)) {
        return std::nullopt;
    }
    std::string tempTarget;
    if (!IsTemporaryFileName(temp->name, &tempTarget) || tempTarget != target->name) {
        return std::nullopt;
    }
    return CheckedEntry{target->folder, temp->name, target->name};
}

// The path of the entry that makes it refused, as the journal has it: the
// target when that is no record file of ours, else the temporary file.
std::string RefusedPath(const JournalEntry& entry, const WorkFolders& folders) {
    const std::optional<NamedFile> target = ResolveJournalPath(entry.target, folders);
    const bool targetFine = target && IsRecordFileNameIn(target->folder, target->name);
    return ShownJournalText(targetFine ? entry.temp : entry.target);
}

bool Exists(const fs::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0;
}

bool IsLink(const fs::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Whether the staged content is there to be put in place: a regular file.
// A link or anything else with a temporary file's name is not staged
// content, and renaming it would put it where a record file belongs.
enum class StagedState { Missing, File, Other };

StagedState StagedStateOf(const fs::path& temp) {
    struct stat status {};
    if (::lstat(temp.c_str(), &status) != 0) {
        return StagedState::Missing;
    }
    return S_ISREG(status.st_mode) ? StagedState::File : StagedState::Other;
}

// The names the record files have: "r", "g" or "p", six digits, ".csv".
bool IsRecordFileName(std::string_view name) {
    return IsNumberedFileName(name, 'r') || IsNumberedFileName(name, 'g') ||
           IsNumberedFileName(name, 'p');
}

void RemoveLeftovers(const fs::path& folder, std::vector<std::string>& discarded) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::string target;
        if (!IsTemporaryFileName(entry.path().filename().string(), &target) ||
            (!IsRecordFileName(target) && target != kJournalName)) {
            continue;
        }
        if (::unlink(entry.path().c_str()) == 0 && target != kJournalName) {
            discarded.push_back(target);
        }
    }
}

}  // namespace

bool IsRecordFileNameIn(RecordFolder folder, std::string_view name) {
    if (folder == RecordFolder::Log2) {
        return IsNumberedFileName(name, 'g');
    }
    return IsRecordFileName(name);
}

RecordTransaction::RecordTransaction(WorkFolders folders) : folders_(std::move(folders)) {}

RecordTransaction::~RecordTransaction() {
    if (journalWritten_) {
        return;
    }
    for (const StagedFile& file : staged_) {
        ::unlink((FolderPath(folders_, file.folder) / file.tempName).c_str());
    }
}

StageResult RecordTransaction::Stage(RecordFolder folder, std::string_view name,
                                     std::string_view bytes) {
    const fs::path& directory = FolderPath(folders_, folder);
    if (directory.empty() || !IsRecordFileNameIn(folder, name)) {
        return StageResult::Failed;
    }
    const fs::path file = directory / name;
    struct stat status {};
    if (::lstat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        return StageResult::NotARegularFile;
    }
    std::optional<PreparedFile> prepared = PrepareReplacement(file, bytes, LinkRule::Refuse);
    if (!prepared) {
        return StageResult::Failed;
    }
    staged_.push_back({folder, prepared->temp.filename().string(), std::string(name)});
    return StageResult::Staged;
}

bool RecordTransaction::WriteJournal() {
    if (folders_.log.empty()) {
        return false;
    }
    // Not WriteFileAtomically: a link named like the journal must not carry
    // it out of the folder either.
    const std::optional<PreparedFile> journal =
        PrepareReplacement(folders_.log / kJournalName, JournalText(staged_), LinkRule::Refuse);
    if (!journal || !CommitReplacement(*journal)) {
        if (journal) {
            ::unlink(journal->temp.c_str());
        }
        return false;
    }
    journalWritten_ = true;
    return true;
}

bool RecordTransaction::Commit() {
    if (!WriteJournal()) {
        return false;
    }
    CompleteJournal(folders_);
    return true;
}

// An entry that is refused does not hold back the entries that are fine.
// The journal was written in one atomic step after every staged file was
// on the disk, so each fine entry's temporary file is exactly the content
// the run meant to put in place: completing it is what the run would have
// done, while removing it as a leftover would lose a round that counted as
// saved. A refused entry is never acted on at all (nothing outside the lab
// folder or through a link is touched), and the journal is removed once the
// fine entries are done: a refused entry can never become one we act on, so
// keeping the journal would only hold back the clean-up at every start.
JournalOutcome CompleteJournal(const WorkFolders& folders) {
    JournalOutcome outcome;
    const fs::path journal = folders.log / kJournalName;
    if (IsLink(journal)) {
        // None of ours: the journal is always a regular file. Removing the
        // link touches nothing it points at.
        outcome.refused.push_back(ShownJournalText(JournalPath(RecordFolder::Log, kJournalName)));
        ::unlink(journal.c_str());
        return outcome;
    }
    const std::optional<std::string> text = ReadWholeFile(journal, LinkRule::Refuse);
    if (!text) {
        return outcome;
    }
    const std::optional<std::vector<JournalEntry>> entries = ParseJournal(*text);
    bool done = entries.has_value();
    for (const JournalEntry& entry : entries.value_or(std::vector<JournalEntry>{})) {
        const std::optional<CheckedEntry> checked = CheckEntry(entry, folders);
        if (!checked) {
            outcome.refused.push_back(RefusedPath(entry, folders));
            continue;
        }
        const fs::path& directory = FolderPath(folders, checked->folder);
        const PreparedFile file{directory / checked->tempName, directory / checked->name};
        switch (StagedStateOf(file.temp)) {
            case StagedState::Missing:  // renamed before the run ended
                break;
            case StagedState::File:
                if (!CommitReplacement(file)) {
                    done = false;
                    continue;
                }
                break;
            case StagedState::Other:
                outcome.refused.push_back(ShownJournalText(entry.temp));
                continue;
        }
        outcome.completed.push_back(checked->name);
    }
    // A journal that cannot be read as one is removed too: written in one
    // atomic step, it is either whole or was never there, so such a file is
    // none of ours to act on.
    if (done || !entries) {
        ::unlink(journal.c_str());
    }
    return outcome;
}

std::string ShownJournalText(std::string_view bytes) {
    constexpr std::size_t kLongestShown = 160;
    std::string shown;
    for (const char c : bytes) {
        if (shown.size() >= kLongestShown) {
            shown += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            shown += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
}

RecoveredWrites RecoverUnfinishedWrites(const WorkFolders& folders) {
    RecoveredWrites recovered;
    const fs::path journal = folders.log / kJournalName;
    if (Exists(journal)) {
        JournalOutcome outcome = CompleteJournal(folders);
        recovered.completed = std::move(outcome.completed);
        recovered.refused = std::move(outcome.refused);
        if (Exists(journal)) {
            return recovered;  // its files must stay until it can be finished
        }
    }
    RemoveLeftovers(folders.log, recovered.discarded);
    RemoveLeftovers(folders.log2, recovered.discarded);
    return recovered;
}

}  // namespace quib::server
