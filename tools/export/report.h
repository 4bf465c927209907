#pragma once

// The session report: one self-contained HTML page drawn from the tidy
// tables quib_export writes (games.csv and rounds.csv), with its charts
// inline as SVG. It needs no network and no script to be viewed.

#include <filesystem>
#include <string>

namespace quib::exporter {

struct ReportResult {
    bool written = false;
    // Not written because a table is missing, lacks a column or has a row
    // that cannot be read (otherwise: the page could not be written).
    bool tablesUnreadable = false;
    std::string message;  // why not (UTF-8), naming the file and line
};

// Reads games.csv and rounds.csv from `tablesFolder` and writes the page to
// `reportFile`. Needs a QGuiApplication (RunWithGuiApplication in
// report_app.h makes one); without one it writes nothing and says so. The
// page says it was made now, in local time.
ReportResult WriteReport(const std::filesystem::path& tablesFolder,
                         const std::filesystem::path& reportFile);

// The same, with the page saying it was made at `madeAt` (plain text, e.g.
// "2026-12-10 14:05"), so that the same tables give the same page.
ReportResult WriteReport(const std::filesystem::path& tablesFolder,
                         const std::filesystem::path& reportFile, const std::string& madeAt);

}  // namespace quib::exporter
