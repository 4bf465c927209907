#include "bench/export_bench/export_run.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

#include "common/file_io.h"
#include "server/core/settings.h"
#include "server/records/records_check.h"
#include "testing/synthetic_lab/synthetic_lab.h"
#include "tools/export/lab_export.h"

namespace quib::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStageNames[] = {"read", "check", "export"};

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in kB.
long StatusKb(std::string_view key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(key)) {
            return std::stol(line.substr(key.size()));
        }
    }
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool IsRoundFileName(const std::string& name) {
    return name.size() == 11 && name[0] == 'r' && name.ends_with(".csv");
}

// Every file in log/ and log2/ read whole, as any reader of the lab must.
void ReadEveryFile(const fs::path& lab, StageResult& result) {
    std::size_t bytes = 0;
    for (const std::string_view folder : {"log", "log2"}) {
        const bool roundFolder = folder == "log";
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(lab / folder, error)) {
            const std::optional<std::string> text = ReadWholeFile(entry.path());
            bytes += text ? text->size() : 0;
            if (roundFolder && IsRoundFileName(entry.path().filename().string())) {
                result.rounds += 1;
            }
        }
        if (error) {
            result.message = "cannot list " + (lab / folder).string();
            result.clean = false;
            return;
        }
    }
    result.clean = bytes > 0;
    result.message = std::to_string(bytes / 1024) + " kB";
}

void CheckEveryFile(const fs::path& lab, StageResult& result) {
    const server::RecordsCheck check = server::CheckRecords(lab, server::ReadFolderTexts(lab));
    result.rounds = check.rounds;
    result.clean = check.unusable.empty() && check.problems.empty();
    result.message = check.unusable.empty() ? server::SummaryLine(check) : check.unusable;
}

void ExportEverything(const fs::path& lab, const fs::path& out, StageResult& result) {
    exporter::ExportOptions options;
    options.labFolder = lab;
    options.outFolder = out;
    const exporter::ExportResult exported = exporter::ExportLab(options);
    result.rounds = exported.rounds;
    result.clean = exported.status == exporter::kExportClean;
    result.message = exported.status == exporter::kExportClean
                         ? std::to_string(exported.games) + " games"
                         : "status " + std::to_string(exported.status) + ": " + exported.message;
}

// The message ends the result line: no line breaks in it.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// What a child process printed on its standard output, and its exit status
// (-1 when it could not be started or did not exit).
struct ChildOutput {
    int status = -1;
    std::string output;
};

// Runs `self` with `arguments` and waits for it.
ChildOutput RunChild(const fs::path& self, const std::vector<std::string>& arguments) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    std::vector<char*> argv;
    std::string program = self.string();
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildOutput result;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 ||
           (count < 0 && errno == EINTR)) {
        if (count > 0) {
            result.output.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        result.status = -1;
    } else {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

void PrintHeader() {
    std::cout << Padded("rounds", 8) << Padded("stage", 8) << Padded("wall s", 9)
              << Padded("cpu s", 9) << Padded("rounds/s", 10) << Padded("(cpu)", 10)
              << Padded("peak MB", 9) << Padded("start MB", 9) << "  result\n";
}

void PrintRow(const StageResult& r) {
    auto perSecond = [&r](double seconds) {
        return seconds > 0 ? Fixed(r.rounds / seconds, 0) : std::string("-");
    };
    std::cout << Padded(std::to_string(r.rounds), 8) << Padded(std::string(StageName(r.stage)), 8)
              << Padded(Fixed(r.wallSeconds, 2), 9) << Padded(Fixed(r.cpuSeconds, 2), 9)
              << Padded(perSecond(r.wallSeconds), 10) << Padded(perSecond(r.cpuSeconds), 10)
              << Padded(Fixed(r.peakKb / 1024.0, 1), 9) << Padded(Fixed(r.startKb / 1024.0, 1), 9)
              << "  " << (r.clean ? "" : "NOT CLEAN: ") << r.message << "\n";
}

// What the table says about the targets: at least 10,000 rounds a second on
// one core (a lab's study of some 100,000 rounds exported in seconds, not
// minutes), and a peak memory that does not grow with the rounds (a lab of
// any size exports on the experimenter's computer).
void PrintTargets(const std::vector<StageResult>& results) {
    constexpr double kTargetRoundsPerSecond = 10000;
    for (const Stage stage : {Stage::Check, Stage::Export}) {
        std::vector<StageResult> ofStage;
        std::copy_if(results.begin(), results.end(), std::back_inserter(ofStage),
                     [stage](const StageResult& r) { return r.stage == stage && r.rounds > 0; });
        if (ofStage.empty()) {
            continue;
        }
        std::sort(ofStage.begin(), ofStage.end(),
                  [](const StageResult& a, const StageResult& b) { return a.rounds < b.rounds; });
        const StageResult& largest = ofStage.back();
        const double rate = largest.rounds / std::max(largest.cpuSeconds, 1e-9);
        std::cout << StageName(stage) << ": " << Fixed(rate, 0)
                  << " rounds per processor second at " << largest.rounds << " rounds (target "
                  << Fixed(kTargetRoundsPerSecond, 0)
                  << "): " << (rate >= kTargetRoundsPerSecond ? "met" : "NOT MET") << "\n";
        if (ofStage.size() > 1) {
            const StageResult& smallest = ofStage.front();
            const double grownKb = static_cast<double>(largest.peakKb - smallest.peakKb);
            std::cout << StageName(stage) << ": peak " << Fixed(smallest.peakKb / 1024.0, 1)
                      << " MB at " << smallest.rounds << " rounds, "
                      << Fixed(largest.peakKb / 1024.0, 1) << " MB at " << largest.rounds
                      << " rounds: "
                      << Fixed(grownKb * 1024 / (largest.rounds - smallest.rounds), 0)
                      << " bytes more per round (target: flat)\n";
        }
    }
}

}  // namespace

std::string_view StageName(Stage stage) {
    return kStageNames[static_cast<std::size_t>(stage)];
}

std::optional<Stage> StageNamed(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kStageNames); ++i) {
        if (kStageNames[i] == name) {
            return static_cast<Stage>(i);
        }
    }
    return std::nullopt;
}

int GamesFor(int rounds) {
    return std::max(1, rounds / 50);
}

int SubjectsFor(int rounds) {
    return std::max(2, GamesFor(rounds) / 10);
}

StageResult RunStage(Stage stage, const fs::path& lab, const fs::path& out) {
    StageResult result;
    result.stage = stage;
    result.startKb = StatusKb("VmRSS:");
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    switch (stage) {
        case Stage::Read:
            ReadEveryFile(lab, result);
            break;
        case Stage::Check:
            CheckEveryFile(lab, result);
            break;
        case Stage::Export:
            ExportEverything(lab, out, result);
            break;
    }
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    result.cpuSeconds = CpuSeconds() - cpuBefore;
    result.peakKb = StatusKb("VmHWM:");
    result.message = OneLine(result.message);
    return result;
}

std::string ResultLine(const StageResult& r) {
    std::ostringstream line;
    line << "result " << StageName(r.stage) << " " << r.rounds << " " << Fixed(r.wallSeconds, 6)
         << " " << Fixed(r.cpuSeconds, 6) << " " << r.startKb << " " << r.peakKb << " "
         << (r.clean ? 1 : 0) << " " << r.message;
    return line.str();
}

std::optional<StageResult> ParseResultLine(std::string_view text) {
    std::istringstream line{std::string(text)};
    std::string word;
    std::string stageName;
    StageResult r;
    int clean = 0;
    if (!(line >> word >> stageName >> r.rounds >> r.wallSeconds >> r.cpuSeconds >> r.startKb >>
          r.peakKb >> clean) ||
        word != "result") {
        return std::nullopt;
    }
    const std::optional<Stage> stage = StageNamed(stageName);
    if (!stage) {
        return std::nullopt;
    }
    r.stage = *stage;
    r.clean = clean == 1;
    std::getline(line >> std::ws, r.message);
    return r;
}

int GenerateLabChild(const fs::path& lab, int rounds, std::uint32_t seed) {
    std::mt19937 random(seed);
    testing::SyntheticLabOptions options;
    options.rounds = rounds;
    options.games = GamesFor(rounds);
    options.subjects = SubjectsFor(rounds);
    const auto before = std::chrono::steady_clock::now();
    const testing::SyntheticLab written = testing::WriteSyntheticLab(lab, options, random);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    std::cout << "generated " << written.rounds << " rounds (" << written.wonRounds << " won), "
              << written.games << " games, " << written.subjects << " subjects in "
              << Fixed(seconds, 1) << " s\n";
    return 0;
}

int MeasureStageChild(Stage stage, const fs::path& lab, const fs::path& out, bool oneCore) {
    if (oneCore) {
        const int cpu = ::sched_getcpu();
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cpu < 0 ? 0 : cpu, &set);
        ::sched_setaffinity(0, sizeof set, &set);
    }
    const StageResult result = RunStage(stage, lab, out);
    std::cout << ResultLine(result) << "\n";
    return result.clean ? 0 : 1;
}

int RunExportBench(const BenchOptions& options, const fs::path& self) {
    std::string pattern = (options.scratch / "quib_export_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::cerr << "cannot make a folder below " << options.scratch << "\n";
        return 1;
    }
    const fs::path scratch = pattern;
    std::vector<fs::path> labs;
    if (options.lab) {
        labs.push_back(*options.lab);
    } else {
        for (const int rounds : options.sizes) {
            const fs::path lab = scratch / ("lab-" + std::to_string(rounds));
            std::cout << "writing a lab of " << rounds << " rounds into " << lab.string() << "\n";
            const ChildOutput generated =
                RunChild(self, {"--child-generate", lab.string(), std::to_string(rounds),
                                std::to_string(options.seed)});
            std::cout << generated.output;
            if (generated.status != 0) {
                std::cerr << "the lab could not be written\n";
                return 1;
            }
            labs.push_back(lab);
        }
    }
    std::vector<StageResult> results;
    bool clean = true;
    for (std::size_t i = 0; i < labs.size(); ++i) {
        for (const Stage stage : options.stages) {
            const fs::path out = scratch / ("out-" + std::to_string(i));
            fs::remove_all(out);
            const ChildOutput measured =
                RunChild(self, {"--child-stage", std::string(StageName(stage)), labs[i].string(),
                                out.string(), options.oneCore ? "1" : "0"});
            const std::optional<StageResult> result = ParseResultLine(measured.output);
            if (!result) {
                std::cerr << "stage " << StageName(stage) << " on " << labs[i].string()
                          << " gave no result (exit status " << measured.status << ")\n"
                          << measured.output;
                clean = false;
                continue;
            }
            clean = clean && result->clean;
            results.push_back(*result);
        }
    }
    std::cout << "\n";
    PrintHeader();
    for (const StageResult& result : results) {
        PrintRow(result);
    }
    std::cout << "\n";
    PrintTargets(results);
    if (options.keep) {
        std::cout << "kept " << scratch.string() << "\n";
    } else {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }
    return clean ? 0 : 1;
}

}  // namespace quib::bench
