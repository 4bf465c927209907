#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "common/work_folders.h"

namespace quib::server {

// A round leaves several files (its round file, the game and position files,
// both subjects' files) that name each other. They change together or not at
// all: every new content is first staged in a hidden temporary file beside
// its target; committing writes a journal naming all of them (one atomic
// write, the moment the round counts as written), renames each into place
// and removes the journal. A run killed before the journal was complete
// leaves only temporary files, which the next start removes: none of the
// round's files changed. A run killed after it leaves the journal, from
// which the next start (or the next round's write) finishes the renames.
class RecordTransaction {
  public:
    // `journal`: the journal's path, in the folder of the round files.
    explicit RecordTransaction(std::filesystem::path journal);
    // Removes every staged file that was not committed.
    ~RecordTransaction();
    RecordTransaction(const RecordTransaction&) = delete;
    RecordTransaction& operator=(const RecordTransaction&) = delete;

    // Stages the new content of `file`; false when it cannot be written
    // (then nothing is staged for it).
    bool Stage(const std::filesystem::path& file, std::string_view bytes);

    // Puts every staged file in place. False when the journal cannot be
    // written: then nothing changed. Once the journal is written the round
    // counts as saved even if a rename fails; the journal stays and the
    // renames are finished by CompleteJournal.
    bool Commit();

  private:
    std::filesystem::path journal_;
    std::vector<PreparedFile> staged_;
    bool committed_ = false;
};

// The journal's name in the log folder.
inline constexpr std::string_view kJournalName = ".records-journal";

// Finishes the renames a journal names and removes it. Returns the names of
// all the files it names; a journal whose renames still fail stays.
std::vector<std::string> CompleteJournal(const std::filesystem::path& journal);

// What the start found half written by an earlier run that was killed.
struct RecoveredWrites {
    std::vector<std::string> completed;  // names of the files a journal put in place
    std::vector<std::string> discarded;  // names of files whose staged content was removed
};

// At start-up, before anything is written: completes a journal in `folders.log`
// and removes every temporary record file no journal names from log/ and log2/.
RecoveredWrites RecoverUnfinishedWrites(const WorkFolders& folders);

}  // namespace quib::server
