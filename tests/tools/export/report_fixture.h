#pragma once

// The small tables of data/ the report tests draw from, and what they look
// for in a page.

#include "testing/scratch_directory.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quib::testing {

inline const std::filesystem::path kReportFixture = QUIB_TEST_DATA_DIR;

// Copies games.csv and rounds.csv of data/ into `folder`.
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
