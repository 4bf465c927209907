// quib_bot: a command-line player for piloting sessions. See tools/README.md.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/command_line.h"
#include "tools/bot/bot_options.h"
#include "tools/bot/bot_session.h"
#include "tools/bot/bot_texts.h"

namespace {

// Set by SIGHUP, taken by the session. Lock-free, so safe in a handler.
std::atomic<bool> hangupRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnHangup(int) {
    hangupRequested = true;
}

void CatchHangup() {
    struct sigaction action {};
    action.sa_handler = OnHangup;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quib::tools;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedBotOptions parsed = ParseBotOptions(args);
    if (!parsed.options) {
        std::cerr << "quib_bot: " << parsed.error << "\n(quib_bot --help shows the usage)\n";
        return 2;
    }
    BotOptions options = *parsed.options;
    if (options.help) {
        std::cout << BotUsage();
        return 0;
    }
    if (options.version) {
        std::cout << quib::VersionLine("quib_bot") << "\n";
        return 0;
    }

    BotTexts texts;
    if (!options.languageFile.empty()) {
        std::string error;
        const std::optional<BotTexts> loaded = LoadBotTexts(options.languageFile, &error);
        if (!loaded) {
            std::cerr << "quib_bot: " << error << "\n";
            return 2;
        }
        texts = *loaded;
    }
    const std::string pid = std::to_string(::getpid());
    if (!options.seedGiven) {
        options.plan.seed = quib::MonotonicMilliseconds() ^ static_cast<std::uint32_t>(::getpid());
    }
    if (!options.quiet && options.plan.script.empty()) {
        std::cout << "quib_bot: random moves with --seed " << options.plan.seed << std::endl;
    }

    SessionSettings settings;
    settings.host = options.host;
    settings.port = options.port;
    settings.name = options.name.empty() ? "quib_bot-" + pid : options.name;
    settings.reconnect = options.reconnect;
    settings.attempts = options.attempts;
    settings.quiet = options.quiet;

    CatchHangup();
    BotPlayer player(options.plan, texts);
    BotSession session(settings, player, quib::MonotonicMilliseconds, std::cout, std::cerr);
    return session.Run(hangupRequested);
}
