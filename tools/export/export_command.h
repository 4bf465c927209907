#pragma once

// quib_export's command line:
//
//   quib_export [--lang FILE] [--allow-problems] [--report FILE] LAB_FOLDER OUT_FOLDER
//   quib_export --report OUT_FOLDER/report.html
//
// The first form exports a lab's records into OUT_FOLDER (and, with
// --report, draws the report from the tables just written); the second
// draws the report from tables exported before, in the report's folder.

#include <iosfwd>
#include <string>
#include <vector>

namespace quib::exporter {

struct CommandLine {
    std::string lab;
    std::string out;
    std::string language;  // empty for none
    std::string report;    // empty for none
    bool allowProblems = false;
    bool help = false;       // --help: print the usage and stop
    bool version = false;    // --version: print the version and stop
    std::string labId = {};  // --lab: for a lab folder without an identity of its own
};

// Nothing, with a message in `error`, for arguments that are no command.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error);

// Runs the export; messages go to `err`, the progress bar too when
// `terminal` says it is one. Returns the exit status.
int RunExportCommand(const CommandLine& line, std::ostream& out, std::ostream& err, bool terminal);

std::string Usage();

}  // namespace quib::exporter
