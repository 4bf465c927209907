#pragma once

namespace quib::server {

class Engine;

// Brings the subject file of one seat up to date with the round just
// recorded: the totals (points and record only for a won round, rounds and
// play time always) and the game's row, which is replaced, or appended when
// the file has none yet. The seat's SubjectRecord counters follow, and the
// main window is asked to show them. True when the file was written, or
// when the seat has no subject and there is nothing to write; false after
// showing the failure box (then the file is unchanged).
bool UpdateSubjectFile(Engine& engine, int seat);

}  // namespace quib::server
