#pragma once

// The small tables of data/ the report tests draw from, and what they look
// for in a page.

#include "testing/scratch_directory.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quib::testing {

// Small tables written by hand: four games, two pairs of subjects and
// games without subjects, levels 1 to 4, both displays, a round missing,
// and names and texts that look like markup.
inline const std::filesystem::path kReportFixture =
    std::filesystem::path(QUIB_TEST_DATA_DIR) / "report";
// Made-up tables that show the page at its best, for the README: two pairs,
// four games of 25 to 40 rounds at levels 1 to 5, a round missing in one
// game and the last round in another, and a records check that found
// nothing.
inline const std::filesystem::path kReportDemo =
    std::filesystem::path(QUIB_TEST_DATA_DIR) / "report_demo";

// Copies games.csv and rounds.csv of kReportFixture into `folder`.
inline void CopyReportFixture(const std::filesystem::path& folder) {
    for (const char* table : {"games.csv", "rounds.csv"}) {
        std::filesystem::copy_file(kReportFixture / table, folder / table,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

inline std::size_t CountOf(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace quib::testing
