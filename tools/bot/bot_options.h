#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/server_port.h"
#include "tools/bot/bot_player.h"

namespace quib::tools {

// Everything the command line of quib_bot decides.
struct BotOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = protocol::kServerPort;
    // The host name reported to the server; empty: the caller's default.
    std::string name;
    BotPlan plan;
    bool seedGiven = false;
    // Come back when the server closes the connection, giving up after
    // `attempts` failed connects in a row (0: never give up).
    bool reconnect = false;
    int attempts = 0;
    bool quiet = false;
    bool help = false;
    bool version = false;  // --version: print it and stop
    // A server language file whose texts the server shows (empty: the
    // built-in German texts).
    std::string languageFile;
};

struct ParsedBotOptions {
    std::optional<BotOptions> options;  // nullopt: `error` says why
    std::string error;
};

// Reads the arguments after the program name.
ParsedBotOptions ParseBotOptions(std::span<const std::string> args);

// The --help text.
std::string BotUsage();

}  // namespace quib::tools
