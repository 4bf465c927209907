#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "common/work_folders.h"

namespace quib::server {

// The two folders of record files below the lab folder: log/ (round, game
// and subject files) and log2/ (position files).
enum class RecordFolder { Log, Log2 };

// Whether `name` is the name of a record file `folder` holds: "r", "g" or
// "p" with six digits and ".csv" in log/, "g" with six digits and ".csv" in
// log2/. Nothing else is ever written or put in place there by the records.
bool IsRecordFileNameIn(RecordFolder folder, std::string_view name);

enum class StageResult {
    Staged,
    NotARegularFile,  // a link (also a dangling one), folder or the like has the name
    Failed,           // the temporary file could not be written
};

// A round leaves several files (its round file, the game and position files,
// both subjects' files) that name each other. They change together or not at
// all: every new content is first staged in a hidden temporary file beside
// its target; committing writes a journal naming all of them (one atomic
// write, the moment the round counts as written), renames each into place
// and removes the journal. A run killed before the journal was complete
// leaves only temporary files, which the next start removes: none of the
// round's files changed. A run killed after it leaves the journal, from
// which the next start (or the next round's write) finishes the renames.
//
// The journal names its files relative to the lab folder ("log/r000042.csv",
// "log/.r000042.csv.qwertzui"), never by absolute path: a lab folder moved
// or copied after a crash (onto a stick, to the analysis computer) is
// completed where it now is, and a copy never touches the folder it was
// copied from.
class RecordTransaction {
  public:
    // The journal is written into `folders.log`; the staged files go into
    // `folders.log` and `folders.log2`.
    explicit RecordTransaction(WorkFolders folders);
    // Removes every staged file that no written journal names.
    ~RecordTransaction();
    RecordTransaction(const RecordTransaction&) = delete;
    RecordTransaction& operator=(const RecordTransaction&) = delete;

    // Stages the new content of the record file `name` (IsRecordFileNameIn)
    // in `folder`. Only a regular file of that name is replaced, or a new
    // one made: a link there is never followed. Nothing is staged unless
    // Staged comes back.
    StageResult Stage(RecordFolder folder, std::string_view name, std::string_view bytes);

    // Writes the journal naming every staged file: from here on the round
    // counts as saved and its staged files are kept, whatever happens to the
    // run. False when the journal cannot be written: then nothing changed.
    bool WriteJournal();

    // WriteJournal, then puts every staged file in place. Once the journal
    // is written the round counts as saved even if a rename fails; the
    // journal stays and the renames are finished by CompleteJournal.
    bool Commit();

  private:
    struct StagedFile {
        RecordFolder folder;
        std::string tempName;
        std::string name;
    };

    WorkFolders folders_;
    std::vector<StagedFile> staged_;
    bool journalWritten_ = false;
};

// The journal's name in the log folder.
inline constexpr std::string_view kJournalName = ".records-journal";

// What finishing a journal did.
struct JournalOutcome {
    // Names of the record files the journal put in place (or had put in
    // place before the run ended).
    std::vector<std::string> completed;
    // Entries not acted on, each as the journal wrote it, made one line
    // that is safe to show (ShownJournalText).
    std::vector<std::string> refused;
};

// Finishes the renames the journal in `folders.log` names, inside `folders`
// only, and removes it; a journal whose renames still fail stays. Each entry
// must name a record file of log/ or log2/ and, as its temporary file, a
// regular file of the same folder named "." + the target's name + "." and
// eight lowercase letters; any other entry is refused and reported, and the
// entries that are fine are still completed (see the .cpp for why).
JournalOutcome CompleteJournal(const WorkFolders& folders);

// Text from a journal (file names, whatever bytes they hold) as one short
// line: printable ASCII as it is, a backslash doubled, every other byte as
// \xNN, cut after 160 characters with "...".
std::string ShownJournalText(std::string_view bytes);

// What the start found half written by an earlier run that was killed.
struct RecoveredWrites {
    std::vector<std::string> completed;  // names of the files a journal put in place
    std::vector<std::string> discarded;  // names of files whose staged content was removed
    std::vector<std::string> refused;    // journal entries not acted on (JournalOutcome)
};

// At start-up, before anything is written: completes a journal in `folders.log`
// and removes every temporary record file no journal names from log/ and log2/.
RecoveredWrites RecoverUnfinishedWrites(const WorkFolders& folders);

}  // namespace quib::server
