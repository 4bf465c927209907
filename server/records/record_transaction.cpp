#include "server/records/record_transaction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>

#include "server/records/file_numbering.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

// Journal text: temporary path NUL target path NUL, per staged file. NUL is
// the one byte no path can hold.
std::string JournalText(const std::vector<PreparedFile>& files) {
    std::string text;
    for (const PreparedFile& file : files) {
        text += file.temp.string();
        text += '\0';
        text += file.target.string();
        text += '\0';
    }
    return text;
}

std::optional<std::vector<PreparedFile>> ParseJournal(const std::string& text) {
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
    std::vector<PreparedFile> files;
    for (std::size_t i = 0; i < paths.size(); i += 2) {
        files.push_back({paths[i], paths[i + 1]});
    }
    return files;
}

bool Exists(const fs::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0;
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

RecordTransaction::RecordTransaction(fs::path journal) : journal_(std::move(journal)) {}

RecordTransaction::~RecordTransaction() {
    if (committed_) {
        return;
    }
    for (const PreparedFile& file : staged_) {
        ::unlink(file.temp.c_str());
    }
}

bool RecordTransaction::Stage(const fs::path& file, std::string_view bytes) {
    std::optional<PreparedFile> prepared = PrepareReplacement(file, bytes);
    if (!prepared) {
        return false;
    }
    staged_.push_back(std::move(*prepared));
    return true;
}

bool RecordTransaction::Commit() {
    if (WriteFileAtomically(journal_, JournalText(staged_), WriteMode::Replace) !=
        WriteResult::Written) {
        return false;
    }
    committed_ = true;
    CompleteJournal(journal_);
    return true;
}

std::vector<std::string> CompleteJournal(const fs::path& journal) {
    std::vector<std::string> completed;
    const std::optional<std::string> text = ReadWholeFile(journal);
    if (!text) {
        return completed;
    }
    const std::optional<std::vector<PreparedFile>> files = ParseJournal(*text);
    bool done = files.has_value();
    for (const PreparedFile& file : files.value_or(std::vector<PreparedFile>{})) {
        // A temporary file that is gone was renamed before the run ended.
        if (Exists(file.temp) && !CommitReplacement(file)) {
            done = false;
        }
        completed.push_back(file.target.filename().string());
    }
    // A journal that cannot be read as one is removed too: written in one
    // atomic step, it is either whole or was never there, so such a file is
    // none of ours to act on.
    if (done || !files) {
        ::unlink(journal.c_str());
    }
    return completed;
}

RecoveredWrites RecoverUnfinishedWrites(const WorkFolders& folders) {
    RecoveredWrites recovered;
    const fs::path journal = folders.log / kJournalName;
    if (Exists(journal)) {
        recovered.completed = CompleteJournal(journal);
        if (Exists(journal)) {
            return recovered;  // its files must stay until it can be finished
        }
    }
    RemoveLeftovers(folders.log, recovered.discarded);
    RemoveLeftovers(folders.log2, recovered.discarded);
    return recovered;
}

}  // namespace quib::server
