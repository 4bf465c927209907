#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quib::server {

// The plain CSV of the server's record files: fields separated by ";" with no
// quoting, addressed by 1-based position; lines ended by LF (files written by
// older steps may end them by CR LF). Windows-1252 bytes throughout.

// The text without spaces at either end (only ' ', as the files use it).
std::string_view TrimSpaces(std::string_view text);

// The lines of a file's text, each without its LF or CR LF. A final line
// without line end counts; the empty rest after a final LF does not.
std::vector<std::string_view> SplitLines(std::string_view text);

// Field n (from 1) of one line: the text between the (n-1)-th and the n-th
// ";"; empty when the line has fewer fields.
std::string_view CsvField(std::string_view line, int n);

// Replaces field `field` of line `line` (both from 1) of a text whose lines
// end with LF, keeping the ";" or LF that ends the field. The text comes back
// unchanged when it has fewer than `line` LFs, or holds fewer than field - 1
// ";" in all. A line with fewer fields than `field` receives the value just
// before its LF. Shared with the record writer, which rewrites totals in
// subject files with it.
std::string SetCsvField(std::string_view text, int line, int field, std::string_view value);

// Subject files are also opened and saved by spreadsheets, which quote a
// field as CSV does (RFC 4180, with ";"): a field that begins with a double
// quote runs to the next lone double quote, a doubled one inside stands for
// one, and ";" inside is text. The functions below read and write such
// fields; the program's other record files are never quoted.

// The fields of one line, each as its raw text (quotes and spaces around it
// included), split at the ";" outside quotes. Nothing when a field that
// begins with a double quote (after spaces) is malformed: its quotes do not
// close before the line ends (a line break inside a spreadsheet cell, or a
// quote missing), or text other than spaces follows its closing quote;
// `problem` then says which. A double quote inside a field that does not
// begin with one is text, as files written so far hold such comments.
std::optional<std::vector<std::string_view>> QuotedFieldSpans(std::string_view line,
                                                              std::string* problem = nullptr);

// One raw field of QuotedFieldSpans as its value: trimmed of spaces, and a
// quoted field without its quotes and with doubled quotes made single.
std::string UnquotedField(std::string_view raw);

// The value as a field of a line that QuotedFieldSpans reads back whole: as
// it is unless it holds ";", a double quote or a line break, and then in
// double quotes with each double quote doubled. So an ordinary value keeps
// exactly the bytes it always had. (Fields are read trimmed of spaces, in
// quotes or not, as they always were.)
std::string CsvQuoted(std::string_view value);

// A field read as a number, strictly: a signed decimal as the record files
// write them, nothing for any other text (blanks included). 18 digits
// always fit.
std::optional<long long> StrictNumber(std::string_view text);

}  // namespace quib::server
