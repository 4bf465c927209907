#pragma once

// The codebook: every column of every table with its meaning, type, unit
// and allowed values, as a table (codebook.csv) and as a page to read
// (codebook.md).

#include <string>

namespace quib::exporter {

// The kind written into problems.csv for a file quib_export cannot read,
// beside the records check's kinds.
inline constexpr const char* kCannotParseKind = "cannot_parse";

// The allowed values of problems.csv's "kind" column.
std::string ProblemKindsText();

void WriteCodebookRows(class TableFile& codebook);
std::string CodebookMarkdown();

}  // namespace quib::exporter
