#include "testing/e2e/child_group.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace quib::e2e {
namespace {

using Clock = std::chrono::steady_clock;

// Groups the watchdog must end. Written by the test thread, read by the
// signal handler: plain atomics, no locks.
constexpr std::size_t kMaxGroups = 16;
std::array<std::atomic<pid_t>, kMaxGroups> registeredGroups{};

void RegisterGroup(pid_t group) {
    for (auto& slot : registeredGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group)) {
            return;
        }
    }
}

void UnregisterGroup(pid_t group) {
    for (auto& slot : registeredGroups) {
        pid_t expected = group;
        slot.compare_exchange_strong(expected, 0);
    }
}

void OnWatchdog(int) {
    static const char kMessage[] = "e2e: watchdog fired, ending every child\n";
    [[maybe_unused]] const ssize_t ignored = ::write(2, kMessage, sizeof kMessage - 1);
    for (auto& slot : registeredGroups) {
        const pid_t group = slot.load();
        if (group > 0) {
            ::kill(-group, SIGKILL);
        }
    }
    ::_exit(3);
}

// "KEY=VALUE" for the child: the test's environment with the overrides on
// top. Built before fork, so the child only calls async-signal-safe
// functions.
std::vector<std::string> BuildEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> entries;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        if (overrides.find(key) == overrides.end()) {
            entries.push_back(entry);
        }
    }
    for (const auto& [key, value] : overrides) {
        entries.push_back(key + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// In the child after fork: its own group, death with the parent, nothing
// inherited but the standard streams and `keep`.
void PrepareChild(pid_t parent, int outFd, const std::vector<int>& keep) {
    ::setpgid(0, 0);
    // SIGTERM rather than SIGKILL: Xvfb then still removes its lock file.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) {
        ::_exit(127);
    }
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, 0);
    ::dup2(outFd >= 0 ? outFd : devNull, 1);
    ::signal(SIGPIPE, SIG_DFL);
    const long maxFd = std::min(::sysconf(_SC_OPEN_MAX), 4096L);
    for (int fd = 3; fd < maxFd; ++fd) {
        const bool kept = std::find(keep.begin(), keep.end(), fd) != keep.end();
        ::fcntl(fd, F_SETFD, kept ? 0 : FD_CLOEXEC);
    }
}

}  // namespace

ChildGroup::~ChildGroup() {
    Stop();
}

bool ChildGroup::Spawn(const SpawnOptions& options, std::string* error) {
    std::vector<std::string> args = options.argv;
    std::vector<std::string> env = BuildEnvironment(options.env);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    int outFd = -1;
    if (!options.output.empty()) {
        outFd = ::open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    // The child reports a failed exec through this pipe; a successful exec
    // closes it unseen.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        *error = "pipe: " + std::string(std::strerror(errno));
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        PrepareChild(parent, outFd, options.keepFds);
        if (outFd >= 0) {
            ::dup2(outFd, 2);
        }
        if (!options.workDir.empty() && ::chdir(options.workDir.c_str()) != 0) {
            const int code = errno;
            [[maybe_unused]] const ssize_t n = ::write(report[1], &code, sizeof code);
            ::_exit(127);
        }
        ::execve(argv[0], argv.data(), envp.data());
        const int code = errno;
        [[maybe_unused]] const ssize_t n = ::write(report[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(report[1]);
    if (outFd >= 0) {
        ::close(outFd);
    }
    if (child < 0) {
        ::close(report[0]);
        *error = "fork: " + std::string(std::strerror(errno));
        return false;
    }
    ::setpgid(child, child);  // whichever of the two runs first sets it
    pid_ = child;
    RegisterGroup(child);
    int code = 0;
    const ssize_t got = ::read(report[0], &code, sizeof code);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof code)) {
        *error = options.argv[0] + ": " + std::strerror(code);
        Stop();
        return false;
    }
    return true;
}

bool ChildGroup::Running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        // The child is gone; whatever it left in its group goes with it.
        ::kill(-pid_, SIGKILL);
        UnregisterGroup(pid_);
        pid_ = -1;
        return false;
    }
    return true;
}

void ChildGroup::Stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(-pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    bool reaped = false;
    while (Clock::now() < deadline) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // SIGKILL for the group in any case: a child of the child may have
    // ignored the SIGTERM.
    ::kill(-pid_, SIGKILL);
    if (!reaped) {
        ::waitpid(pid_, &status, 0);
    }
    UnregisterGroup(pid_);
    pid_ = -1;
}

ToolResult RunTool(const std::vector<std::string>& argvIn,
                   const std::map<std::string, std::string>& envIn,
                   std::chrono::milliseconds limit) {
    ToolResult result;
    std::vector<std::string> args = argvIn;
    std::vector<std::string> env = BuildEnvironment(envIn);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return result;
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        PrepareChild(parent, out[1], {});
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (child < 0) {
        ::close(out[0]);
        return result;
    }
    ::setpgid(child, child);
    RegisterGroup(child);
    const auto deadline = Clock::now() + limit;
    bool timedOut = false;
    char buffer[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (timedOut) {
        ::kill(-child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::kill(-child, SIGKILL);
    UnregisterGroup(child);
    if (!timedOut && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

void ArmWatchdog(unsigned seconds) {
    struct sigaction action {};
    action.sa_handler = OnWatchdog;
    ::sigaction(SIGALRM, &action, nullptr);
    ::alarm(seconds);
}

void DisarmWatchdog() {
    ::alarm(0);
}

}  // namespace quib::e2e
