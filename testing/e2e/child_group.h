#pragma once

// The processes an end-to-end run starts: each in a process group of its
// own, so that stopping it also stops whatever it started, and each told by
// the kernel to die with the test program, so that not even a test killed
// from outside leaves one behind.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quib::e2e {

struct SpawnOptions {
    std::vector<std::string> argv;           // argv[0] is the program's path
    std::filesystem::path workDir;           // empty: the test's own
    std::map<std::string, std::string> env;  // set on top of the test's environment
    std::filesystem::path output;            // stdout and stderr; empty: /dev/null
    std::vector<int> keepFds;                // descriptors the child inherits
};

// A long-running child (X server, the programs under test). Stopping it
// sends SIGTERM to its whole group, then SIGKILL after a grace period, and
// reaps it. The destructor stops it.
class ChildGroup {
  public:
    ChildGroup() = default;
    ~ChildGroup();
    ChildGroup(const ChildGroup&) = delete;
    ChildGroup& operator=(const ChildGroup&) = delete;

    // False, with the reason in *error, when the program could not be
    // started at all.
    bool Spawn(const SpawnOptions& options, std::string* error);
    void Stop();

    // False once the child has ended (it is then reaped).
    bool Running();

    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

struct ToolResult {
    int exitCode = -1;   // -1: did not finish in time, or could not start
    std::string output;  // stdout
};

// Runs a short command (xdotool, import) to its end and returns what it
// printed; a command still running after `limit` is killed.
ToolResult RunTool(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& env,
                   std::chrono::milliseconds limit = std::chrono::seconds(20));

// Ends every group still registered by a ChildGroup and the test program
// itself after `seconds`: the last guard of a run that hangs somewhere no
// deadline reaches.
void ArmWatchdog(unsigned seconds);
void DisarmWatchdog();

}  // namespace quib::e2e
