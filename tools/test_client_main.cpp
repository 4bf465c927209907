// Plays one player program at the protocol level, for trying the server by
// hand: connects, answers every frame, reports the given keys as held down.
//
//   quib_testclient_cli [--port P] [--host H] [--name N] [--key K]... [--seconds S]

#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "tools/test_client.h"

namespace {

struct Options {
    long port = 6832;
    std::string host = "127.0.0.1";
    std::string name = "testclient";
    std::bitset<256> keys;
    long seconds = 10;
};

bool ParseNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        long key = 0;
        bool ok = true;
        if (flag == "--port") {
            ok = ParseNumber(value, 1, 65535, options.port);
        } else if (flag == "--host") {
            options.host = value;
        } else if (flag == "--name") {
            options.name = value;
        } else if (flag == "--key") {
            ok = ParseNumber(value, 0, 255, key);
            options.keys.set(static_cast<std::size_t>(key), ok);
        } else if (flag == "--seconds") {
            ok = ParseNumber(value, 0, 86400, options.seconds);
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--port P] [--host H] [--name N] [--key K]... [--seconds S]\n",
                     argv[0]);
        return 2;
    }
    quib::tools::TestClient client;
    client.SetHostName(options.name);
    client.SetKeysDown(options.keys);
    if (!client.Connect(static_cast<std::uint16_t>(options.port), options.host)) {
        std::fprintf(stderr, "cannot connect to %s:%ld\n", options.host.c_str(), options.port);
        return 1;
    }
    const bool lost = client.WaitForClosedByServer(std::chrono::seconds(options.seconds));
    client.Close();
    std::printf("%zu frames received, %zu replies sent, %zu rhythm violations%s\n",
                client.FramesReceived(), client.RepliesSent(), client.RhythmViolations(),
                lost ? ", closed by the server" : "");
    return 0;
}
