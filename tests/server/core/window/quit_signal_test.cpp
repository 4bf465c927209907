// The real server program asked to end from outside (a logout or shutdown
// sends SIGTERM): it ends by itself, as its close box would end it, and
// leaves no temporary record file behind. By default SIGTERM ended it on the
// spot, wherever a record write stood.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "testing/scratch_directory.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The server in `workDir` on Qt's offscreen platform, its output in `log`.
pid_t StartServer(const fs::path& workDir, const fs::path& log) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0 || ::chdir(workDir.c_str()) != 0) {
            ::_exit(126);
        }
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(QUIB_SERVER_PATH, QUIB_SERVER_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// The exit status once the program has ended, or -1 when it still runs
// after `limit` (it is then killed).
int AwaitExit(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (Clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

std::vector<std::string> HiddenFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".")) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(QuitSignal, SigtermEndsTheServerCleanlyAndLeavesNoTemporaryRecordFile) {
    quib::testing::ScratchDirectory lab;
    quib::testing::WriteBytes(
        lab.path() / "quib_server.prefs",
        "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_de.lang\r\n");
    const fs::path output = lab.path() / "server.out";
    const pid_t server = StartServer(lab.path(), output);
    ASSERT_GT(server, 0);
    // Started: the folders are made before the window opens and the loop
    // runs; a moment later the signal handlers are in place too.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!fs::exists(lab.path() / "log2") && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(fs::exists(lab.path() / "log2")) << quib::testing::ReadBytes(output);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // What a write cut off by the signal would leave: a staged round file.
    quib::testing::WriteBytes(lab.path() / "log" / ".r000000.csv.abcdefgh", "half a round");

    ASSERT_EQ(::kill(server, SIGTERM), 0);
    EXPECT_EQ(AwaitExit(server, std::chrono::seconds(20)), 0)
        << "not ended by itself; output: " << quib::testing::ReadBytes(output);
    EXPECT_TRUE(HiddenFiles(lab.path() / "log").empty());
}

}  // namespace
}  // namespace quib::server
