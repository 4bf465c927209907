#pragma once

// quib_export_bench: how fast quib_export reads a lab and how its memory
// grows with the lab. Each measurement runs in a process of its own (the
// program starts itself again), so that every stage's peak resident size is
// its own and not the generator's or an earlier stage's.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quib::bench {

// What is measured on a lab:
enum class Stage {
    Read,    // every record file read once, nothing parsed: the floor of any reader
    Check,   // the server's records check (CheckRecords), part of every export
    Export,  // the whole export (ExportLab) into a fresh folder
};

std::string_view StageName(Stage stage);
std::optional<Stage> StageNamed(std::string_view name);

struct StageResult {
    Stage stage = Stage::Read;
    int rounds = 0;          // round files the stage found
    double wallSeconds = 0;  // of the stage alone
    double cpuSeconds = 0;   // user + system time of the stage, all threads
    long startKb = 0;        // resident size before the stage (VmRSS)
    long peakKb = 0;         // the process's peak resident size (VmHWM)
    bool clean = false;      // the stage found the lab in order
    std::string message;     // what it said when not; one line
};

// Runs `stage` on the lab's working folder `lab` in this process (tables
// into `out` for Export) and measures it.
StageResult RunStage(Stage stage, const std::filesystem::path& lab,
                     const std::filesystem::path& out);

// A result as the one line a measuring child prints, and back.
std::string ResultLine(const StageResult& result);
std::optional<StageResult> ParseResultLine(std::string_view line);

struct BenchOptions {
    std::vector<int> sizes = {10000, 100000};  // rounds of each generated lab
    // Measures this lab instead of generating any (`sizes` is ignored).
    std::optional<std::filesystem::path> lab;
    // Where generated labs and the tables go; a scratch folder below it is
    // removed at the end unless `keep`.
    std::filesystem::path scratch = std::filesystem::temp_directory_path();
    bool keep = false;
    std::uint32_t seed = 1;
    std::vector<Stage> stages = {Stage::Read, Stage::Check, Stage::Export};
    // Each measuring child is held to one processor, as the target is one core.
    bool oneCore = true;
};

// Generates the labs, measures every stage on each in a child process
// started from `self` (this program), and prints a table. Returns the exit
// status: 0 when every stage found its lab in order, 1 otherwise.
int RunExportBench(const BenchOptions& options, const std::filesystem::path& self);

// The child processes' work, chosen by main() from the arguments RunExportBench
// passes: write a lab of `rounds` rounds, or measure one stage; each prints
// one line on standard output and returns the exit status.
int GenerateLabChild(const std::filesystem::path& lab, int rounds, std::uint32_t seed);
int MeasureStageChild(Stage stage, const std::filesystem::path& lab,
                      const std::filesystem::path& out, bool oneCore);

// The lab shape for a number of rounds: games of some 50 rounds, each
// subject playing some 20 games with different partners.
int GamesFor(int rounds);
int SubjectsFor(int rounds);

}  // namespace quib::bench
