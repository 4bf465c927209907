// quib_bot as the experimenter uses it: bot processes join the server's
// engine, running on its network thread in this test, and play whole
// rounds; the round files appear in log/ and each bot prints its rounds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server/engine/engine.h"
#include "testing/scratch_directory.h"
#include "tests/support/live_game.h"
#include "tests/support/loopback.h"

extern char** environ;

namespace quib::tools {
namespace {

using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using Clock = std::chrono::steady_clock;

constexpr auto kGameDeadline = std::chrono::seconds(60);

// One quib_bot process with its output in files. Killed if still running
// when the test ends.
class BotProcess {
  public:
    BotProcess(const std::filesystem::path& folder, const std::string& name,
               std::vector<std::string> args)
        : out_(folder / (name + ".out")), err_(folder / (name + ".err")) {
        args.insert(args.begin(), {QUIB_BOT_PROGRAM, "--name", name});
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&files, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&files);
    }

    ~BotProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return pid_ > 0; }
    void Signal(int signal) const { ::kill(pid_, signal); }

    // The exit code, or nullopt when the bot has not ended in time.
    std::optional<int> WaitForExit(std::chrono::seconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

    std::string Out() const { return ReadBytes(out_); }
    std::string Err() const { return ReadBytes(err_); }

  private:
    std::filesystem::path out_;
    std::filesystem::path err_;
    pid_t pid_ = -1;
};

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind(start, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Bots against the server's engine with a game the experimenter has started.
class BotGame : public quib::testing::LiveGame {
  protected:
    std::vector<std::string> BotArgs(std::vector<std::string> more) const {
        std::vector<std::string> args = {"--port",  std::to_string(engine->links().listener.port()),
                                         "--pace",  "0",
                                         "--moves", "2"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    bool Exists(const char* file) const { return std::filesystem::exists(dir.path() / file); }

    template <typename Condition>
    static bool WaitFor(Condition done) {
        const auto deadline = Clock::now() + kGameDeadline;
        while (!done()) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // The seat whose player reported this host name; -1 for none.
    int SeatOf(const std::string& name) {
        std::lock_guard guard(state.lock);
        for (int s = 0; s < server::kSeats; ++s) {
            if (engine->links().links[s].connection >= 0 &&
                state.seatLines[s].hostLine == "Host: " + name) {
                return s;
            }
        }
        return -1;
    }

    // The server drops a player's connection, as when the network fails.
    void CloseConnectionOf(int seat) {
        std::lock_guard guard(state.lock);
        ::shutdown(engine->links().links[seat].connection, SHUT_RDWR);
    }

    // The bot ended by itself with code 0 and printed one line per round,
    // each with the result it was shown.
    static void ExpectPlayedRounds(BotProcess& bot, int rounds) {
        EXPECT_EQ(bot.WaitForExit(kGameDeadline), 0) << bot.Err();
        const std::vector<std::string> lines = LinesStartingWith(bot.Out(), "round ");
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(rounds)) << bot.Out();
        for (int r = 0; r < rounds; ++r) {
            EXPECT_EQ(lines[r].rfind("round " + std::to_string(r + 1) + ": ", 0), 0u) << lines[r];
            const bool judged = lines[r].find("| Gewonnen!") != std::string::npos ||
                                lines[r].find("| Verloren!") != std::string::npos;
            EXPECT_TRUE(judged) << lines[r];
        }
    }
};

TEST_F(BotGame, TwoBotsPlayThreeRounds) {
    BotProcess a(dir.path(), "bot-a", BotArgs({"--rounds", "3", "--seed", "1"}));
    BotProcess b(dir.path(), "bot-b", BotArgs({"--rounds", "3", "--seed", "2"}));
    ASSERT_TRUE(a.started() && b.started());
    ExpectPlayedRounds(a, 3);
    ExpectPlayedRounds(b, 3);
    for (const char* file : {"log/r000000.csv", "log/r000001.csv", "log/r000002.csv",
                             "log/g000000.csv", "log2/g000000.csv"}) {
        EXPECT_TRUE(Exists(file)) << file;
    }
    EXPECT_FALSE(Exists("log/r000003.csv"));
    EXPECT_EQ(RoundsRecorded(), 3);
}

// The experimenter releases the start toggle while the round runs, so the
// game ends the moment the round is judged: the players' status line goes
// from the round to "please wait" before a frame can show the result. Each
// bot still prints the round with the result the server recorded.
TEST_F(BotGame, GameEndedRightAfterTheRoundStillTellsItsResult) {
    Locked([&] { state.settings.startToggleDown = false; });
    BotProcess a(dir.path(), "bot-a", BotArgs({"--rounds", "1", "--seed", "1"}));
    BotProcess b(dir.path(), "bot-b", BotArgs({"--rounds", "1", "--seed", "2"}));
    ASSERT_TRUE(a.started() && b.started());
    ExpectPlayedRounds(a, 1);
    ExpectPlayedRounds(b, 1);
    ASSERT_EQ(RoundsRecorded(), 1);
    EXPECT_EQ(GameState(), server::Idle);
    const std::string result = Locked([&] { return engine->game().gameRecord.points; }) == 1
                                   ? "| Gewonnen!"
                                   : "| Verloren!";
    for (BotProcess* bot : {&a, &b}) {
        const std::vector<std::string> lines = LinesStartingWith(bot->Out(), "round 1: ");
        ASSERT_EQ(lines.size(), 1u) << bot->Out();
        EXPECT_NE(lines[0].find(result), std::string::npos) << lines[0];
    }
}

// One bot loses its connection from the server's side, the other is told
// to start afresh by SIGHUP; both come back to their seats and finish.
TEST_F(BotGame, BotsComeBackAfterALostConnectionAndAHangUp) {
    BotProcess a(dir.path(), "bot-a", BotArgs({"--rounds", "3", "--reconnect"}));
    BotProcess b(dir.path(), "bot-b", BotArgs({"--rounds", "3"}));
    ASSERT_TRUE(a.started() && b.started());

    ASSERT_TRUE(WaitFor([&] { return Exists("log/r000000.csv"); }));
    const int seatA = SeatOf("bot-a");
    ASSERT_GE(seatA, 0);
    CloseConnectionOf(seatA);
    ASSERT_TRUE(WaitFor([&] { return Exists("log/r000001.csv"); }));
    b.Signal(SIGHUP);

    ExpectPlayedRounds(a, 3);
    ExpectPlayedRounds(b, 3);
    EXPECT_EQ(RoundsRecorded(), 3);
    EXPECT_EQ(LinesStartingWith(a.Out(), "quib_bot: connected to").size(), 2u) << a.Out();
    EXPECT_EQ(LinesStartingWith(a.Out(), "quib_bot: the server closed the connection").size(), 1u);
    EXPECT_EQ(LinesStartingWith(b.Out(), "quib_bot: connected to").size(), 2u) << b.Out();
    EXPECT_EQ(LinesStartingWith(b.Out(), "quib_bot: hang-up").size(), 1u);
}

TEST(BotConnection, NoServerIsAClearFailure) {
    // Held but not listening: connecting to its port is refused.
    const quib::testing::LoopbackListener refusing =
        quib::testing::ListenOnLoopback("127.0.0.1", false);
    ASSERT_TRUE(refusing.fd);
    ScratchDirectory dir;
    const std::string port = std::to_string(refusing.port);

    BotProcess once(dir.path(), "once", {"--port", port});
    EXPECT_EQ(once.WaitForExit(kGameDeadline), 1);
    EXPECT_NE(once.Err().find("cannot connect to 127.0.0.1:" + port), std::string::npos)
        << once.Err();

    BotProcess retrying(dir.path(), "retrying", {"--port", port, "--reconnect", "--attempts", "2"});
    EXPECT_EQ(retrying.WaitForExit(kGameDeadline), 1);
    EXPECT_NE(retrying.Err().find("(2 attempts)"), std::string::npos) << retrying.Err();
}

}  // namespace
}  // namespace quib::tools
