#pragma once

// Writes one tidy table: UTF-8 after a byte order mark, comma separated, a
// header row of the column names, standard quoting (a field with a comma, a
// quote or a line break is quoted, quotes doubled), LF line ends. The table
// goes to a hidden file beside its place and takes its name only when
// finished, so an export that stops half way never leaves a half table under
// a table's name.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/export/tables.h"

namespace quib::exporter {

// The UTF-8 byte order mark every table begins with. Spreadsheet programs
// that take a text file without one for their own code page (and so turn
// every umlaut and the euro sign into two or three odd characters) read a
// file with it as UTF-8; pandas, R with fileEncoding = "UTF-8-BOM" and
// TidyCsvReader skip it.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The field as written: quoted when it needs to be.
std::string QuoteField(std::string_view utf8);

class TableFile {
  public:
    // A table whose last column is the lab's identity (tables.h) gets `lab`
    // there in every row; Row then takes the fields before it.
    TableFile(const std::filesystem::path& folder, const Table& table, std::string lab = {});
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // One row, a field per column but the lab's (a row of another width is
    // a program error and aborts).
    void Row(const std::vector<std::string>& fields);

    // Writes out, syncs and gives the file its name; false when any write
    // failed (the hidden file is removed then).
    bool Finish();

    const std::filesystem::path& path() const { return path_; }

  private:
    void WriteFields(const std::vector<std::string>& fields);
    void Flush();

    const Table& table_;
    std::filesystem::path path_;
    std::filesystem::path partial_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    bool failed_ = false;
    std::string lab_;
    bool labLast_ = false;
};

// Writes a whole small file the same way (codebook.md).
bool WriteOutputFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace quib::exporter
