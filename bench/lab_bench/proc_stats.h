#pragma once

// What the kernel counts for a process: processor time (user + system, in
// clock ticks, for the process and for each of its threads) and memory
// (from /proc/<pid>/status, in kB).

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>

namespace quib::bench {

// utime + stime of /proc/<pid>/stat (or of a task's stat file).
std::optional<long> CpuTicks(const std::string& statFile);
std::optional<long> ProcessTicks(pid_t pid);
// Per thread, by "name[tid]".
std::map<std::string, long> ThreadTicks(pid_t pid);
long TicksPerSecond();

// A "VmHWM" / "VmRSS" line of /proc/<pid>/status, in kB.
std::optional<long> StatusKb(pid_t pid, const std::string& key);

// Processor use over a stretch of time, as a share of one core.
class CpuWindow {
  public:
    explicit CpuWindow(pid_t pid);
    // Percent of one core since construction; per thread too.
    double Percent() const;
    std::map<std::string, double> ThreadPercent() const;

  private:
    double Seconds() const;

    pid_t pid_;
    long startTicks_;
    std::map<std::string, long> startThreads_;
    double startSeconds_;
};

}  // namespace quib::bench
