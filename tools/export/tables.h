#pragma once

// The tidy tables quib_export writes, column by column. Every header row,
// the codebook and the tests take the columns from here, so a column is
// named, typed and explained in one place.

#include <span>
#include <string_view>

namespace quib::exporter {

// How a column's values are written. Empty cells mean "not known from the
// files" in every type.
enum class ColumnType {
    Integer,   // plain signed decimal
    Text,      // UTF-8
    DateTime,  // ISO 8601 local time, "2026-12-10T14:03:12" (".250" when it has milliseconds)
};

struct Column {
    std::string_view name;  // snake_case
    ColumnType type;
    std::string_view unit;     // "ms", "rounds", ...; empty for none
    std::string_view meaning;  // one sentence for the codebook
    std::string_view allowed;  // the values it may hold; empty for any of its type
};

struct Table {
    std::string_view file;     // "rounds.csv"
    std::string_view meaning;  // what one row is
    std::span<const Column> columns;
};

// The last column of every table but the codebook: the lab folder's
// identity, so that the tables of several labs can be pooled and still
// joined on (lab, game), (lab, subject). Last, so that the columns before
// it keep the places scripts written for earlier exports read them at.
inline constexpr std::string_view kLabColumnName = "lab";

// games.csv, rounds.csv, events.csv, positions.csv, subjects.csv,
// connections.csv, problems.csv, codebook.csv, in this order.
std::span<const Table> Tables();

// The table written to `file`; aborts on a name that is none of them, since
// only the program's own names are passed.
const Table& TableNamed(std::string_view file);

// The place of the column named `name` in `table`'s rows; aborts on a name
// the table lacks, since only the program's own names are passed.
std::size_t ColumnIndex(const Table& table, std::string_view name);

std::string_view TypeName(ColumnType type);  // "integer", "text", "datetime"

}  // namespace quib::exporter
