#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/work_folders.h"
#include "server/core/message_sink.h"
#include "server/core/subject_record.h"
#include "server/core/texts.h"
#include "server/records/finished_round.h"
#include "server/records/game_files.h"

namespace quib::server {

// What writing a round's files achieved.
struct RecordOutcome {
    bool roundSaved = false;          // its round file is written
    bool positionLinesSaved = false;  // round.positionLines are in the position file
    // Per seat: the subject with its counters after the round, when its file
    // was read (the counters follow the file's totals even when writing the
    // file then fails). Empty for a seat without subject, an unreadable file
    // or one whose layout is not recognised.
    std::array<std::optional<SubjectRecord>, kRecordedSeats> subjects;
};

// Writes the files a finished round leaves: its round file in `log`, then
// the game file (log/), the position file (log2/) and both subjects' files.
// Every file is replaced as a whole through a temporary file, so that a
// crash or a full disk leaves its earlier contents intact. A failure is
// reported in a box (title txt3 "Fehler!") and never stops the game; the
// game and subject files continue the round file, so without it they are
// left as they are. The log view gets one line: which game file was
// written, or what could not be saved.
class RecordWriter {
  public:
    // Of `folders` only log and log2 are written to. `boxes` may be null
    // (nothing is shown); `log` queues a line for the experimenter's log view.
    RecordWriter(const ServerTexts& texts, WorkFolders folders, MessageSink* boxes,
                 std::function<void(const std::string&)> log);

    RecordOutcome Write(const FinishedRound& round);

  private:
    bool WriteRoundFile(const FinishedRound& round);
    bool WriteGameFiles(const FinishedRound& round, RecordOutcome& outcome);
    bool WriteGameFile(GameFileKind kind, const FinishedRound& round, bool& newFile);
    bool UpdateSubjectFile(int seat, const FinishedRound& round, RecordOutcome& outcome);
    void ShowReadFailure(const std::string& shownPath) const;
    void ShowWriteFailure(const std::string& shownPath) const;

    const ServerTexts& texts_;
    WorkFolders folders_;
    MessageSink* boxes_;
    std::function<void(const std::string&)> log_;
};

}  // namespace quib::server
