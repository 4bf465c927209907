#include "testing/e2e/xvfb_display.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace quib::e2e {
namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
// A loaded machine may take a while to start the server; it writes the
// display number only once it accepts connections.
constexpr int kStartLimitMs = 30000;

}  // namespace

bool XvfbDisplay::Start(int width, int height, const std::filesystem::path& logFile,
                        std::string* error) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        *error = "pipe for -displayfd failed";
        return false;
    }
    SpawnOptions options;
    options.argv = {
        kXvfb,       "-displayfd", std::to_string(ready[1]),
        "-screen",   "0",          std::to_string(width) + "x" + std::to_string(height) + "x24",
        "-nolisten", "tcp",        "-noreset"};
    options.output = logFile;
    options.keepFds = {ready[1]};
    const bool spawned = process_.Spawn(options, error);
    ::close(ready[1]);
    if (!spawned) {
        ::close(ready[0]);
        return false;
    }
    std::string number;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartLimitMs);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{ready[0], POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) {
            continue;
        }
        char c[16];
        const ssize_t n = ::read(ready[0], c, sizeof c);
        if (n <= 0) {
            break;  // Xvfb ended without naming a display
        }
        number.append(c, static_cast<std::size_t>(n));
    }
    ::close(ready[0]);
    const std::size_t end = number.find('\n');
    if (end == std::string::npos || end == 0) {
        *error = "Xvfb named no display; see " + logFile.string();
        process_.Stop();
        return false;
    }
    name_ = ":" + number.substr(0, end);
    return true;
}

}  // namespace quib::e2e
