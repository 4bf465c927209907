#include "tools/bot/bot_options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <string_view>

namespace quib::tools {
namespace {

constexpr long kMaxPaceMs = 600000;
constexpr long kMaxMoves = 1000;
constexpr long kMaxRounds = 1000000;
constexpr long kMaxAttempts = 1000000;
constexpr long long kMaxSeed = 0xFFFFFFFFLL;

// A whole decimal number within [low, high].
std::optional<long long> Number(const std::string& text, long long low, long long high) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// "RIGHT,DOWN,SPACE": arrows in order; the space bar may close the list,
// as the bot ends every round with it anyway.
std::optional<std::string> ParseScript(const std::string& text, std::vector<BotKey>& keys) {
    std::string_view rest = text;
    std::vector<std::string> names;
    for (;;) {
        const auto comma = rest.find(',');
        names.push_back(Trimmed(rest.substr(0, comma)));
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::optional<BotKey> key = BotKeyFromName(names[i]);
        if (!key) {
            return "--script: unknown key \"" + names[i] +
                   "\" (use LEFT, RIGHT, UP, DOWN and a final SPACE)";
        }
        if (*key == BotKey::Space) {
            if (i + 1 != names.size()) {
                return "--script: SPACE ends the round and can only come last";
            }
            break;
        }
        keys.push_back(*key);
    }
    return std::nullopt;
}

}  // namespace

ParsedBotOptions ParseBotOptions(std::span<const std::string> args) {
    BotOptions options;
    bool movesGiven = false;
    bool scriptGiven = false;
    const auto fail = [](std::string message) { return ParsedBotOptions{std::nullopt, message}; };

    // Options that take a value: each stores it or says what is wrong.
    using Store = std::function<std::optional<std::string>(const std::string&)>;
    const auto number = [](const char* flag, long long low, long long high, auto assign) {
        return Store([=](const std::string& value) -> std::optional<std::string> {
            const std::optional<long long> parsed = Number(value, low, high);
            if (!parsed) {
                return std::string(flag) + ": expected a whole number from " + std::to_string(low) +
                       " to " + std::to_string(high) + ", got \"" + value + "\"";
            }
            assign(*parsed);
            return std::nullopt;
        });
    };
    const std::map<std::string_view, Store> valued = {
        {"--host",
         [&](const std::string& v) -> std::optional<std::string> {
             if (v.empty()) {
                 return "--host: empty address";
             }
             options.host = v;
             return std::nullopt;
         }},
        {"--port", number("--port", 1, 65535,
                          [&](long long v) { options.port = static_cast<std::uint16_t>(v); })},
        {"--name",
         [&](const std::string& v) -> std::optional<std::string> {
             if (v.empty()) {
                 return "--name: empty host name";
             }
             options.name = v;
             return std::nullopt;
         }},
        {"--pace",
         number("--pace", 0, kMaxPaceMs,
                [&](long long v) { options.plan.paceMs = static_cast<std::uint32_t>(v); })},
        {"--moves", number("--moves", 0, kMaxMoves,
                           [&](long long v) {
                               options.plan.randomMoves = static_cast<int>(v);
                               movesGiven = true;
                           })},
        {"--seed", number("--seed", 0, kMaxSeed,
                          [&](long long v) {
                              options.plan.seed = static_cast<std::uint32_t>(v);
                              options.seedGiven = true;
                          })},
        {"--script",
         [&](const std::string& v) {
             scriptGiven = true;
             options.plan.script.clear();
             return ParseScript(v, options.plan.script);
         }},
        {"--rounds", number("--rounds", 0, kMaxRounds,
                            [&](long long v) { options.plan.rounds = static_cast<int>(v); })},
        {"--attempts", number("--attempts", 0, kMaxAttempts,
                              [&](long long v) { options.attempts = static_cast<int>(v); })},
        {"--lang",
         [&](const std::string& v) -> std::optional<std::string> {
             if (v.empty()) {
                 return "--lang: empty file name";
             }
             options.languageFile = v;
             return std::nullopt;
         }},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--help" || flag == "-h") {
            options.help = true;
        } else if (flag == "--version") {
            options.version = true;
        } else if (flag == "--quiet" || flag == "-q") {
            options.quiet = true;
        } else if (flag == "--reconnect") {
            options.reconnect = true;
        } else if (const auto store = valued.find(flag); store != valued.end()) {
            if (i + 1 >= args.size()) {
                return fail(flag + ": missing value");
            }
            if (std::optional<std::string> error = store->second(args[++i])) {
                return fail(*error);
            }
        } else {
            return fail("unknown option \"" + flag + "\"");
        }
    }
    if (movesGiven && scriptGiven) {
        return fail("--moves and --script exclude each other");
    }
    return ParsedBotOptions{options, {}};
}

std::string BotUsage() {
    return R"(Usage: quib_bot [options]

Plays one seat of a quib game at the protocol level, for piloting a session
with one person and one bot, or with two bots. It joins the server, presses
the space bar to start each round, moves its figure, ends the round with the
space bar and continues to the next round, and prints one line per round.

  --host H       server address or host name (default 127.0.0.1)
  --port P       server port (default 6832)
  --name N       host name reported to the server (default quib_bot-<pid>)
  --pace MS      least time between two key presses (default 400)
  --moves N      random arrow presses per round (default 3)
  --seed S       seed of the random moves (default: from the clock, printed)
  --script KEYS  the keys of every round instead of random ones, for example
                 "RIGHT,DOWN,SPACE" (LEFT, RIGHT, UP, DOWN; SPACE only last;
                 the round is always ended with the space bar)
  --rounds N     stop after N rounds and exit 0 (default 0: play until the
                 server goes away)
  --reconnect    connect again when the server closes the connection, and
                 keep trying if the server is not there yet
  --attempts N   with --reconnect: give up after N failed connects in a row
                 (default 0: never give up)
  --lang FILE    the server's language file, when it does not use the
                 built-in German texts
  --quiet        print nothing but errors
  --help         print this text
  --version      print the version

Signal SIGHUP makes the bot drop its connection and connect again at once.
Exit status: 0 when done, 1 when it cannot connect, finds no free seat, or the
server went away before N rounds, 2 for a wrong command line.
)";
}

}  // namespace quib::tools
