#pragma once

#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/work_folders.h"
#include "server/core/message_sink.h"
#include "server/core/subject_record.h"
#include "server/core/texts.h"
#include "server/records/finished_round.h"
#include "server/records/game_files.h"
#include "server/records/record_numbers.h"

namespace quib::server {

class RecordTransaction;
enum class RecordFolder;

// What writing a round's files achieved.
struct RecordOutcome {
    bool roundSaved = false;  // the round's round, game and position files are written
    // Per seat: the subject with its counters after the round, when its file
    // was written. Empty for a seat without subject or a file that could not
    // be brought up to date.
    std::array<std::optional<SubjectRecord>, kRecordedSeats> subjects;
};

// Writes the files a finished round leaves: its round file in log/, its row
// in the game file (log/), its position lines in the position file (log2/)
// and both subjects' totals and rows. The round, game and position files
// change together or not at all (a RecordTransaction), so that the files
// always agree: a round that cannot be written whole (a full disk, a folder
// that takes no file) is kept in memory with its number and written before
// the next round, once writing works again. A subject file that cannot be
// brought up to date is reported and its update tried again with every
// later round; the update is built from the file as it is then and gives the
// same file when applied twice, so trying again is always safe.
// A failure is reported in a box (title txt3 "Fehler!") and never stops the
// game. Record files are written only as regular files of log/ and log2/: a
// link (to a file outside, or dangling) or anything else that is not a file
// where a record file should be is refused, with the box and a log line
// naming it, and the round waits as for any failed write (a subject file's
// update is due again, as below) until the name is free or a file again.
// The folders log/ and log2/ themselves may be links (a lab may keep its
// records on another disk); no record file is, and no name leaves them.
// The log view gets one line per round: which game file was written, or
// what could not be saved. Rounds of one game are written in order: a
// round waiting behind a failed one of its game waits too, while other
// games' rounds are written.
// Runs on the network thread under stateLock, like the game that numbers
// its rounds from it (NumbersInUse).
class RecordWriter final : public NumbersInUse {
  public:
    // Of `folders` only log and log2 are written to. `boxes` may be null
    // (nothing is shown); `log` queues a line for the experimenter's log view.
    RecordWriter(const ServerTexts& texts, WorkFolders folders, MessageSink* boxes,
                 std::function<void(const std::string&)> log);

    // Writes `round`, after every round still waiting in memory.
    RecordOutcome Write(const FinishedRound& round);
    // Tries again to write the rounds waiting in memory, oldest first, as
    // Write does before its round: when the program is to end and rounds
    // are still waiting. The outcome's subjects are those it brought up to
    // date.
    RecordOutcome WriteWaiting();
    // Hands over the rounds waiting in memory, oldest first, and forgets
    // them: to be written elsewhere, or discarded on the experimenter's word.
    std::deque<FinishedRound> TakeWaiting();
    // Puts rounds handed over by TakeWaiting back, before any waiting now.
    void KeepWaiting(std::deque<FinishedRound> rounds);
    // Gives up the subject files' updates still due, on the experimenter's
    // word.
    void ForgetSubjectUpdates() { subjectUpdatesDue_.clear(); }

    // At start-up: finishes or removes the writes a killed run left half
    // done, with a line in the log view for each round concerned.
    void RecoverUnfinishedWrites();

    // Rounds kept in memory because their files could not be written yet.
    std::size_t waitingRounds() const { return waiting_.size(); }
    // Written rounds whose subject file could not be brought up to date yet.
    std::size_t subjectUpdatesDue() const { return subjectUpdatesDue_.size(); }

    bool HoldsGameNumber(std::int32_t number) const override;
    bool HoldsRoundNumber(std::int32_t number) const override;

  private:
    // A subject's update that could not be written, by subject file and game.
    using SubjectKey = std::pair<std::string, std::string>;
    struct SubjectUpdateDue {
        FinishedRound round;
        int seat = 0;
    };

    bool WriteRoundFiles(const FinishedRound& round, RecordOutcome& outcome);
    bool StageGameFile(GameFileKind kind, const FinishedRound& round, RecordTransaction& files,
                       bool& newFile);
    bool StageSubjectFile(int seat, const FinishedRound& round, RecordTransaction& files,
                          std::optional<SubjectRecord>& updated);
    bool StageReported(RecordTransaction& files, RecordFolder folder, const std::string& name,
                       std::string_view bytes);
    std::optional<std::string> SubjectFileName(const std::string& file) const;
    void RetryDueSubjectUpdates(RecordOutcome& outcome);
    std::optional<std::string> SubjectFileAfter(const FinishedRound& round, int seat, bool report,
                                                SubjectRecord& updated);
    void ReportRefusedJournalEntries(const std::vector<std::string>& refused) const;
    void ShowNotARegularFile(const std::string& shownPath) const;
    void ShowReadFailure(const std::string& shownPath) const;
    void ShowWriteFailure(const std::string& shownPath) const;
    void ShowBox(const std::string& text) const;

    const ServerTexts& texts_;
    WorkFolders folders_;
    std::filesystem::path journal_;
    MessageSink* boxes_;
    std::function<void(const std::string&)> log_;
    // Rounds not yet written, oldest first.
    std::deque<FinishedRound> waiting_;
    // A round has failed in the running Write: boxes for the rounds after it
    // would only repeat it.
    bool roundFailed_ = false;
    std::map<SubjectKey, SubjectUpdateDue> subjectUpdatesDue_;
};

}  // namespace quib::server
