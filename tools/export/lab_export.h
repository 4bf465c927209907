#pragma once

// quib_export's work: read a lab's record files (the server's working folder
// with log/ and log2/), check that they agree, and write the tidy tables,
// the codebook and the list of problems into another folder.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quib::exporter {

// The exit statuses of quib_export.
inline constexpr int kExportClean = 0;        // written, the files agree
inline constexpr int kExportProblems = 1;     // the files disagree (problems.csv)
inline constexpr int kExportUsage = 2;        // bad arguments
inline constexpr int kExportUnreadable = 3;   // the lab folder or a file cannot be read or parsed
inline constexpr int kExportCannotWrite = 4;  // the output folder cannot be written

struct ExportOptions {
    std::filesystem::path labFolder;  // holds log/ and log2/; never written to
    std::filesystem::path outFolder;  // created when missing
    // A language file the lab's files were written with, besides the German
    // texts, the English file and the language files in the lab folder.
    std::optional<std::filesystem::path> languageFile;
    bool allowProblems = false;  // write the tables even when the files disagree
    // The lab's identity when the folder has none of its own (records from
    // before the server kept one); the folder's own always comes first.
    std::string labId;
    // Called now and then with the files read so far and the files in all.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct ExportResult {
    int status = kExportClean;
    std::string message;  // what went wrong, for the terminal (UTF-8); empty when clean
    int games = 0;
    int rounds = 0;
    std::size_t problems = 0;
    std::string labId;  // the identity the tables carry; empty when none was found
};

ExportResult ExportLab(const ExportOptions& options);

}  // namespace quib::exporter
