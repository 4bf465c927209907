#pragma once

// Reads the tidy tables quib_export writes: UTF-8 (the byte order mark they
// begin with is skipped; a table without one reads the same), cells
// separated by commas, a cell holding a comma, a quote or a line break in
// quotes with its quotes doubled, lines ended by LF (a CR before the LF is
// taken too, for a table saved again by another program), one header row of
// column names. Rows are read one at a time, so a table larger than memory
// can still be gone through.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quib::exporter {

class TidyCsvReader {
  public:
    // `in` is read from as rows are asked for and must outlive the reader;
    // `name` names the table in messages ("rounds.csv").
    TidyCsvReader(std::istream& in, std::string name);

    // Reads the header row; false (and Error()) when there is none or it
    // cannot be read.
    bool ReadHeader();
    const std::vector<std::string>& Header() const { return header_; }
    // The position of the column named `name` in every row, if the header
    // has it.
    std::optional<std::size_t> ColumnIndex(std::string_view name) const;

    // Reads the next row into `cells`, one per header column. False at the
    // end of the table, and when the row cannot be read: then Error() names
    // the table and the line.
    bool Next(std::vector<std::string>& cells);

    // The line the row last read starts on, from 1 (the header is line 1).
    int RowLine() const { return rowLine_; }
    const std::string& Error() const { return error_; }

  private:
    // One row as it stands in the file, whatever its number of cells.
    bool ReadRow(std::vector<std::string>& cells);
    bool Fail(int line, std::string_view what);

    std::istream& in_;
    std::string name_;
    std::vector<std::string> header_;
    int line_ = 1;  // the line the next character is on
    int rowLine_ = 0;
    bool atStart_ = true;
    std::string error_;
};

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

}  // namespace quib::exporter
