#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "server/core/texts.h"
#include "server/records/subject_layout.h"

namespace quib::server {

// The one reader of subject files. The server (choosing a subject, its
// update after a round, saving a comment, the subject list), the records
// check and quib_export all read a subject file through it, so that a file
// one of them takes is taken by all, with the same values, and a file one of
// them refuses is refused by all, naming the same line.
//
// Subject files are opened and saved by spreadsheets as well as by editors.
// What such a save may do, and is read as the program wrote it:
//  - quote fields as CSV does (RFC 4180 with ";": "a;b" and doubled quotes);
//  - pad lines with empty fields (";;;;"), which count as no fields;
//  - drop the leading zeros of numbers ("3" for "000003");
//  - rewrite dates and times: a date as D.M.YY, DD.MM.YYYY or YYYY-MM-DD,
//    a time of day as H:MM:SS or H:MM, either with " AM" or " PM" (then
//    12 AM is midnight);
//  - save in UTF-8 with a byte order mark instead of Windows-1252.
// What is refused, with the line that shows it: a field of the program's
// lines that begins with a double quote and is not a proper quoted field,
// a line break inside a quoted cell on any line (the program keeps every
// field on its line, and a CSV reader would take the lines below into the
// cell), a number field holding anything but a whole decimal number, and a
// UTF-8 file holding characters Windows-1252 has not. An empty or missing
// number field reads 0, as the server has always read it and writes it
// again on its next update. A date or time in no form above (a date with
// "/" among them: 12/11/26 may be day or month first) is read as none: the
// server reads no date, and the export leaves it out.

// A date and time as a subject file gives it; the seconds only when written.
struct SubjectStamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    std::optional<int> second;

    // "2024-03-09T14:05:07", or "2024-03-09T14:05" without seconds.
    std::string Iso() const;
};

// A game row (a line after the totals whose first field is a game file).
struct SubjectGameRow {
    std::size_t line = 0;               // from 0
    std::string game;                   // field 1
    std::optional<SubjectStamp> start;  // field 2: the game's start, when readable
    std::string partner;                // field 3: the other player's subject file name
    long long points = 0;               // field 4
    long long best = 0;                 // field 5: the game's highscore
    long long rounds = 0;               // field 6
    long long playMs = 0;               // field 7
};

struct SubjectContent {
    SubjectLayout layout;
    long long number = 0;
    std::string name;     // trimmed
    std::string comment;  // trimmed and decoded (DecodeComment)
    // Fields 2 and 3 of the creation line, when it is there and readable.
    std::optional<SubjectStamp> created;
    long long points = 0;
    long long record = 0;
    long long rounds = 0;
    long long playMs = 0;
    std::string playClock;  // field 5 of the rounds line, as written
    std::vector<SubjectGameRow> rows;
};

struct SubjectRefusal {
    std::optional<std::size_t> line;  // from 0; none when the file as a whole
    std::string reason;               // English, for the log and the check
};

// The Windows-1252 text of a subject file's bytes: the bytes themselves, or
// a UTF-8 text with a byte order mark converted. `utf8` says which.
struct SubjectBytes {
    std::string text;
    bool utf8 = false;
};
std::variant<SubjectBytes, SubjectRefusal> DecodeSubjectBytes(std::string_view bytes);

// The text back in the encoding the file came in (SubjectBytes::utf8).
std::string EncodeSubjectText(std::string_view cp1252, bool utf8);

// Reads a subject file's bytes (DecodeSubjectBytes first); `lines` and the
// layout are those of the decoded text.
std::variant<SubjectContent, SubjectRefusal> ReadSubjectContent(std::string_view bytes,
                                                                const ServerTexts& texts);

// The same for a decoded text, with its lines (SplitLines).
std::variant<SubjectContent, SubjectRefusal> ReadSubjectLines(
    const std::vector<std::string_view>& lines, const ServerTexts& texts);

// Field n (from 1) of a line of a subject file: unquoted and trimmed; empty
// when the line has fewer fields or is malformed (which ReadSubjectLines
// refuses for the program's lines).
std::string SubjectField(std::string_view line, int n);

// A time of day as ReadSubjectLines takes it, in seconds from midnight.
std::optional<int> SecondsOfDay(std::string_view text);

// The refusal as the server reports it after txt171 and the path: nothing
// for a layout not recognised, else ":" + the line (from 1) + " (" + the
// reason + ")".
std::string RefusalSuffix(const SubjectRefusal& refusal);

}  // namespace quib::server
