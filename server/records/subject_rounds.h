#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/core/subject_record.h"
#include "server/core/texts.h"
#include "server/records/finished_round.h"
#include "server/records/subject_content.h"

namespace quib::server {

struct SubjectUpdate {
    std::string text;  // the subject file's new text
    // The subject as the new text says (ReadSubjectText, partner counters
    // against the other seat's subject of the round), with the number and
    // file of round.seats[seat].subject: the seat's counters for the panel.
    SubjectRecord subject;
};

// The subject file of seat `seat` after `round`, from the file's bytes as
// they are now (`fileText`, CR LF or LF), its lines found by their labels
// (FindSubjectLayout). The update is built on what the file says, not on
// counters kept in memory, so that an edit by hand is kept and a round whose
// update could not be written is caught up:
//  - the game's row (the ten columns, with the game's counters after the
//    round) replaces every game row of the game, or is added at the end of
//    the file when there is none;
//  - points, rounds and play time become the file's total plus the game's
//    new row value minus the value of the game's old row in the file (0
//    without one), for points (row field 4), rounds (field 6) and play
//    milliseconds (field 7, the hh:mm:ss field after it following); the
//    record becomes the game's best when that is higher than the file's.
//    A total is written only when it changes. In the normal case this is
//    what the round adds: a point when won, one round, its duration.
// Applying the same round to the function's own text changes nothing, so a
// failed or interrupted update can be applied again. The program's lines
// come out trimmed and ended by a single LF, every other line as it was
// (SubjectTextEdit). Nothing when the reader of subject files refuses the
// file (ReadSubjectContent; `refusal` then says why): such a file must be
// left unchanged. The game must have a file name (IsGameFileName); without
// one the file's rows and totals are left as they are.
std::optional<SubjectUpdate> SubjectFileAfterRound(std::string_view fileText, int seat,
                                                   const FinishedRound& round,
                                                   const ServerTexts& texts,
                                                   SubjectRefusal* refusal = nullptr);

}  // namespace quib::server
