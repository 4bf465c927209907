#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "server/core/time_format.h"

namespace quib::server {

class Engine;
struct RoundRecord;

// Pieces shared by the round, game, position and subject file writers. The
// researchers' scripts read these files by field position, so every line is
// built from the same few helpers.

// Six-digit number field: the decimal text padded on the left with "0" and
// then cut to its first six characters, so a seat without subject (-1) reads
// "0000-1" as it always has.
std::string SixDigitField(std::int32_t n);

// "dd.mm.yy" and "hh:mm:ss", two digits each.
std::string DateField(const LocalTime& time);
std::string TimeField(const LocalTime& time);

// The fields joined with ";".
std::string JoinFields(std::initializer_list<std::string_view> fields);

// A difference of two readings of the wrapping millisecond timer, read as
// signed: a later reading minus an earlier one.
std::int32_t ElapsedMs(std::uint32_t later, std::uint32_t earlier);

// endMs - startMs of the round: its duration including the wait for the start.
std::int32_t RoundDurationMs(const RoundRecord& round);

// "Spieler 1:;name;Nummer:;000042;Datei:;p000042.csv" for seat 0 (1 for seat 1).
std::string PlayerLine(const Engine& engine, int seat);

// The five settings lines (titles, level, figure, display, speed), each
// ended by LF; the round and the game headers share them.
std::string SettingsLines(const Engine& engine);

// A file's text as the writers rewrite it: every line without its line end
// and without spaces at both ends, each followed by a single LF.
std::string TrimmedLines(std::string_view text);

// The path as shown in the failure boxes, with "/" separators. An empty
// file name (no free number was left) shows as the folder with a trailing "/".
std::string ShownPath(const std::filesystem::path& folder, std::string_view fileName);

// Whether a record file can be named at all: a record without a free number
// has no name, and an engine whose folder was never set up must not write
// into whatever the current directory happens to be.
bool CanNameFile(const std::filesystem::path& folder, std::string_view fileName);

enum class ExistingFile {
    Missing,     // nothing of that name: a new file is started
    Read,        // its trimmed text was read
    Unreadable,  // something of that name exists but cannot be read
};

// Reads an existing record file back through TrimmedLines into `text`.
ExistingFile ReadExistingFile(const std::filesystem::path& file, std::string& text);

// The boxes the writers report with: "Kann Datei nicht lesen: <path>" and
// "Kann Datei nicht schreiben: <path>", titled "Fehler!".
void ShowReadFailure(const Engine& engine, std::string_view shownPath);
void ShowWriteFailure(const Engine& engine, std::string_view shownPath);

// Replaces `file` as a whole through a temporary file, so that a crash or a
// full disk leaves the earlier contents intact. False when the path names no
// file (a record without a free number: a folder with an empty name) or the
// write failed; the caller shows the box.
bool ReplaceFile(const std::filesystem::path& file, std::string_view text);

}  // namespace quib::server
