#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace quib::testing {

// Runs `body` in a child process, so that what it changes about the process
// (its rights, its limits) stays there, and returns its exit code.
inline int RunInChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline constexpr int kCannotDropRights = 77;

// Runs `body` with the rights of an ordinary user (nobody): the tests may run
// as root, whom no permission bit stops. kCannotDropRights when that fails.
inline int RunAsOrdinaryUser(const std::function<int()>& body) {
    return RunInChild([&] {
        const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                  ::setgid(65534) == 0 && ::setuid(65534) == 0);
        return dropped ? body() : kCannotDropRights;
    });
}

// Lets file writes beyond `bytes` fail as on a full disk.
inline void LimitFileSize(rlim_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace quib::testing
