#pragma once

// The session report: one self-contained HTML page drawn from the tidy
// tables quib_export writes (games.csv and rounds.csv), with its charts
// inline as SVG. It needs no network and no script to be viewed.

#include <filesystem>
#include <string>

namespace quib::exporter {

struct ReportResult {
    bool written = false;
    std::string message;  // why not (UTF-8), naming the file and line
};

// Reads games.csv and rounds.csv from `tablesFolder` and writes the page to
// `reportFile`.
ReportResult WriteReport(const std::filesystem::path& tablesFolder,
                         const std::filesystem::path& reportFile);

}  // namespace quib::exporter
