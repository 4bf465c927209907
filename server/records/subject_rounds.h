#pragma once

#include <string>

#include "server/core/subject_record.h"
#include "server/records/finished_round.h"

namespace quib::server {

// The subject file of seat `seat` after `round`, from its text as
// TrimmedLines reads it: the totals (points and record only for a won round,
// rounds and play time always) and the game's row, which replaces every
// line that begins with the game's file name, or is appended when there is
// none. `subject`'s counters change exactly as the file does.
std::string SubjectFileAfterRound(std::string text, SubjectRecord& subject, int seat,
                                  const FinishedRound& round);

}  // namespace quib::server
