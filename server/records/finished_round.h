#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "server/core/subject_record.h"
#include "server/core/time_format.h"

namespace quib::server {

inline constexpr int kRecordedSeats = 2;
inline constexpr int kRecordedCells = 4;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right

// The game a round belongs to, with its counters after that round.
struct RecordedGame {
    std::int32_t number = 0;    // -1 when every game number was taken
    std::string fileName;       // "g" + six digits + ".csv"; empty when no number was free
    LocalTime startDate;        // local date and time at the experimenter's start
    std::uint32_t startMs = 0;  // millisecond timer at the start
    std::int32_t points = 0;    // rounds won
    std::int32_t best = 0;      // longest run of won rounds
    std::int32_t streak = 0;    // current run of won rounds
    std::int32_t rounds = 0;    // rounds played, this one included
    std::int32_t activeMs = 0;  // sum of the round durations
};

// One seat as the round ended.
struct RecordedSeat {
    SubjectRecord subject;  // the subject in the seat, with its totals before this round
    std::int32_t level = 0;
    std::string pictureName;
    std::int32_t displayMode = 0;  // 1: the partner's board was open ("offen")
    std::int32_t startCell = 0;
    std::int32_t endCell = 0;
    std::int32_t moves = 0;  // accepted arrow moves
    // The text form of each cell's stimulus (see DescribeStimulus).
    std::array<std::string, kRecordedCells> stimuli;
};

// Everything the record files say about a round that has just been judged:
// the game hands it over once per round, and the round, game, position and
// subject files are written from it alone.
struct FinishedRound {
    RecordedGame game;
    std::string fileName;       // "r" + six digits + ".csv"; empty when no number was free
    std::uint32_t startMs = 0;  // millisecond timer at the round's set-up
    std::uint32_t endMs = 0;    // when both players had ended it
    std::int32_t won = 0;       // 1 or 0
    // The round's event lines, without line ends.
    std::vector<std::string> events;
    // The round's position lines, each ended by LF, with those of an aborted
    // round of the same game before it.
    std::string positionLines;
    std::array<RecordedSeat, kRecordedSeats> seats;
    std::string speedText;                  // the speed list's entry
    std::array<std::string, 2> startTexts;  // the start lists' entries
    std::uint32_t recordedAtMs = 0;         // millisecond timer at the round end
    LocalTime recordedAt;                   // local time at the round end
};

}  // namespace quib::server
