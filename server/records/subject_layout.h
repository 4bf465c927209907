#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "server/core/texts.h"

namespace quib::server {

// Where a subject file keeps what the program reads and writes. Subject files
// outlive sessions and are opened by experimenters in spreadsheets and
// editors, which insert notes, blank lines or CR LF line ends; the program's
// lines are therefore found by their labels, never by their position.
struct SubjectLayout {
    // Indices into the file's lines (SplitLines: without line ends).
    std::size_t numberLine = 0;   // "Spielernr.;000042"
    std::size_t nameLine = 0;     // "Spielername;Anna"
    std::size_t commentLine = 0;  // "Kommentar;..."
    std::size_t pointsLine = 0;   // "Punkte;14;Rekord;5"
    std::size_t roundsLine = 0;   // "Runden;40;Spielzeit;1234;00:00:01"
    // Lines whose first field names a game file ("g" + six digits + ".csv"),
    // in file order: the subject's game rows.
    std::vector<std::size_t> gameRows;
    // The other lines a subject file gets when it is created, where they are
    // found: the title ("Spieler") above the number line, the creation line
    // ("Erstellt;...") between the comment and the totals, and the column
    // titles ("Spieldatei;...") below the totals. Their labels may come from
    // the texts now loaded, the built-in German ones or the file's own.
    std::optional<std::size_t> titleLine;
    std::optional<std::size_t> createdLine;
    std::optional<std::size_t> columnTitleLine;
};

// Finds the program's lines of a subject file. A line belongs to a label when
// its first field, trimmed of spaces, is that label; the points line must
// also carry the fixed word "Rekord" as its third field and the rounds line
// the play-time label as its third. Labels are tried in this order: the texts
// now loaded, the built-in German texts, and the labels the file itself has
// where a freshly created file has them (a file written under another
// language file). Each of the five lines must occur exactly once, in the
// order number, name, comment, points, rounds; anything else is no layout,
// and such a file must be left as it is.
std::optional<SubjectLayout> FindSubjectLayout(const std::vector<std::string_view>& lines,
                                               const ServerTexts& texts);

// Which lines of the file are the program's own: the lines of `layout` and
// every blank line (nothing but spaces). The writers rewrite these trimmed
// of spaces and ended by a single LF; any other line (a note, a line the
// program does not know) is the experimenter's and is kept byte for byte.
std::vector<bool> ProgramLines(const SubjectLayout& layout,
                               const std::vector<std::string_view>& lines);

// Whether `name` is a game file's name: "g" + six digits + ".csv".
bool IsGameFileName(std::string_view name);

}  // namespace quib::server
