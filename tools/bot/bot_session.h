#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "protocol/server_port.h"
#include "tools/bot/bot_player.h"
#include "tools/test_client.h"

namespace quib::tools {

struct SessionSettings {
    std::string host = "127.0.0.1";
    std::uint16_t port = protocol::kServerPort;
    std::string name;  // the host name reported to the server
    bool reconnect = false;
    int attempts = 0;  // failed connects in a row before giving up; 0: never
    // The pause after a failed connect, doubled after each further failure
    // up to the maximum.
    std::uint32_t firstBackoffMs = 250;
    std::uint32_t maxBackoffMs = 4000;
    bool quiet = false;
};

// A bot's life on the network: connects, lets the player answer every frame,
// prints a line per round, and connects again when the server closes the
// connection (with `reconnect`) or when asked to through `hangup`.
//
// Threads: Run blocks the calling thread. Each connection's client answers
// frames on a thread of its own and asks the player for the keys there;
// playerMutex_ serialises the player between that thread and Run.
class BotSession {
  public:
    // `clock` is the millisecond timer the player is given frame by frame.
    BotSession(SessionSettings settings, BotPlayer& player, std::function<std::uint32_t()> clock,
               std::ostream& out, std::ostream& err);
    ~BotSession();
    BotSession(const BotSession&) = delete;
    BotSession& operator=(const BotSession&) = delete;

    // Plays until the player is done (0), or until the connection cannot be
    // made or is lost for good (1 when rounds were still to be played, 0 when
    // the bot was to play until the server goes away). `hangup`, set from
    // anywhere (a signal handler), drops the connection and connects again
    // at once; Run clears it.
    int Run(std::atomic<bool>& hangup);

  private:
    int LostForGood();
    std::unique_ptr<TestClient> Connect(bool afterHangup);
    std::unique_ptr<TestClient> ConnectOnce(bool& seatRefused);
    void ConnectionLost();
    void PrintReports();
    void Note(const std::string& text);
    std::string Where() const;

    SessionSettings settings_;
    BotPlayer& player_;
    std::function<std::uint32_t()> clock_;
    std::ostream& out_;
    std::ostream& err_;
    std::mutex playerMutex_;  // guards player_
    std::unique_ptr<TestClient> client_;
};

}  // namespace quib::tools
