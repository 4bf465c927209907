#include "tools/export/export_command.h"

#include <chrono>
#include <ostream>

#include "server/records/session_file.h"
#include "tools/export/lab_export.h"
#include "tools/export/report.h"
#include "tools/export/report_app.h"

namespace quib::exporter {
namespace {

// A lab this small is read before a bar would be seen.
constexpr std::size_t kFilesForABar = 500;
// Redrawing the bar more often than this only costs time.
constexpr auto kBarInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

class ProgressBar {
  public:
    explicit ProgressBar(std::ostream& err) : err_(err) {}

    void Show(std::size_t done, std::size_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (total < kFilesForABar || (done < total && now - shown_ < kBarInterval)) {
            return;
        }
        shown_ = now;
        drawn_ = true;
        const int filled = static_cast<int>(kBarWidth * done / total);
        err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << done
             << "/" << total << " files" << std::flush;
    }

    void End() {
        if (drawn_) {
            err_ << "\n";
        }
    }

  private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point shown_;
    bool drawn_ = false;
};

int MakeReport(const std::string& report, const std::filesystem::path& tables, std::ostream& out,
               std::ostream& err) {
    return RunWithGuiApplication([&] {
        const ReportResult result = WriteReport(tables, report);
        if (!result.written) {
            err << "quib_export: " << result.message << "\n";
            return result.tablesUnreadable ? kExportUnreadable : kExportCannotWrite;
        }
        out << "report written to " << report << "\n";
        return kExportClean;
    });
}

}  // namespace

std::string Usage() {
    return "Usage: quib_export [--lang FILE] [--lab ID] [--allow-problems] [--report FILE] "
           "LAB_FOLDER OUT_FOLDER\n"
           "  or:  quib_export --report OUT_FOLDER/report.html\n"
           "  or:  quib_export --help | --version\n"
           "\n"
           "Reads the records in LAB_FOLDER (the server's working folder with log/ and log2/),\n"
           "checks that they agree, and writes games.csv, rounds.csv, events.csv,\n"
           "positions.csv, subjects.csv, connections.csv, problems.csv and the codebook\n"
           "into OUT_FOLDER.\n"
           "  --lang FILE        a language file the records were written with\n"
           "  --lab ID           the lab's identity for records from before the server kept\n"
           "                     one (lab_id.txt); letters, digits, - _ . (at most 64)\n"
           "  --allow-problems   write the tables even when the records disagree\n"
           "  --report FILE      also write the session report (HTML); alone, draw it from\n"
           "                     the tables in the report's folder\n"
           "Exit status: 0 written and agreeing, 1 the records disagree (problems.csv),\n"
           "2 bad arguments, 3 a folder or file that cannot be read, 4 cannot write.\n";
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error) {
    std::vector<std::string> folders;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--lang" || argument == "--report") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = argument + " needs a file";
                return false;
            }
            (argument == "--lang" ? line.language : line.report) = arguments[++i];
        } else if (argument == "--lab") {
            if (i + 1 >= arguments.size() || !server::IsValidLabId(arguments[i + 1])) {
                error = "--lab needs an identity of letters, digits, - _ . (at most 64)";
                return false;
            }
            line.labId = arguments[++i];
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
            return true;
        } else if (argument == "--version") {
            line.version = true;
            return true;
        } else if (argument == "--allow-problems") {
            line.allowProblems = true;
        } else if (argument.starts_with("-") && argument != "-") {
            error = "unknown option " + argument;
            return false;
        } else {
            folders.push_back(argument);
        }
    }
    if (folders.size() == 2 && !folders[0].empty() && !folders[1].empty()) {
        line.lab = folders[0];
        line.out = folders[1];
        return true;
    }
    if (folders.empty() && !line.report.empty() && line.language.empty() && !line.allowProblems &&
        line.labId.empty()) {
        return true;  // the report from tables exported before
    }
    error = "give the lab folder and the output folder";
    return false;
}

int RunExportCommand(const CommandLine& line, std::ostream& out, std::ostream& err, bool terminal) {
    if (line.lab.empty()) {
        const std::filesystem::path report(line.report);
        return MakeReport(line.report, report.has_parent_path() ? report.parent_path() : ".", out,
                          err);
    }
    ExportOptions options;
    options.labFolder = line.lab;
    options.outFolder = line.out;
    if (!line.language.empty()) {
        options.languageFile = line.language;
    }
    options.allowProblems = line.allowProblems;
    options.labId = line.labId;
    ProgressBar bar(err);
    if (terminal) {
        options.progress = [&bar](std::size_t done, std::size_t total) { bar.Show(done, total); };
    }
    const ExportResult result = ExportLab(options);
    bar.End();
    if (!result.message.empty()) {
        err << result.message;
    }
    if (result.status == kExportUsage || result.status == kExportCannotWrite ||
        (result.status == kExportUnreadable && result.games == 0 && result.rounds == 0 &&
         result.problems == 0)) {
        return result.status;
    }
    const bool tables = result.status == kExportClean || line.allowProblems;
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    out << count(static_cast<std::size_t>(result.games), "game", "games") << ", "
        << count(static_cast<std::size_t>(result.rounds), "round", "rounds") << "; "
        << count(result.problems, "problem", "problems") << " (problems.csv); "
        << (tables ? "tables written to " + line.out
                   : "no tables written: the files disagree (--allow-problems writes them)")
        << "\n";
    if (tables && !line.report.empty()) {
        const int report = MakeReport(line.report, line.out, out, err);
        if (report != kExportClean) {
            return report;
        }
    }
    return result.status;
}

}  // namespace quib::exporter
