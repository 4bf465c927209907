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

// A field read as a number, strictly: a signed decimal as the record files
// write them, nothing for any other text (blanks included). 18 digits
// always fit.
std::optional<long long> StrictNumber(std::string_view text);

}  // namespace quib::server
