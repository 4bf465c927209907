#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/records/finished_round.h"

namespace quib::server {

// Pieces shared by the round, game, position and subject files. The
// researchers' scripts read these files by field position, so every line is
// built from the same few helpers.

// The number as the header lines name games and subjects: the decimal text
// padded on the left with "0" and then cut to its first six characters, so a
// seat without subject (-1) reads "0000-1" as it always has. (File names use
// SixDigits, which never cuts.)
std::string HeaderNumberField(std::int32_t n);

// The record files' fields joined with ";".
std::string JoinFields(std::initializer_list<std::string_view> fields);

// A difference of two readings of the wrapping millisecond timer as the
// records write it: the unsigned difference read as signed 32 bits, so an
// event a moment before its round's start would show as negative rather
// than as 49 days.
std::int32_t RecordedMs(std::uint32_t later, std::uint32_t earlier);

// endMs - startMs of the round: its duration including the wait for the start.
std::int32_t RoundDurationMs(const FinishedRound& round);

// "A" .. "D" for seat 0's cells and "a" .. "d" for seat 1's; any other index
// gives txt92 "unbekannt" + "(" + index + ")".
std::string CellLetter(const ServerTexts& texts, int seat, int cell);

// "Spieler 1:;name;Nummer:;000042;Datei:;p000042.csv" for seat 0 (1 for seat 1).
std::string PlayerLine(const ServerTexts& texts, int seat, const SubjectRecord& subject);

// The five settings lines (titles, level, figure, display, speed), each
// ended by LF; the round and the game headers share them.
std::string SettingsLines(const ServerTexts& texts, const FinishedRound& round);

// A file's text as the writers rewrite it: every line without its line end
// and without spaces at both ends, each followed by a single LF.
std::string TrimmedLines(std::string_view text);

}  // namespace quib::server
