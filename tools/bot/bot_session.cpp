#include "tools/bot/bot_session.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "common/codepage.h"
#include "tools/bot/frame_news.h"

namespace quib::tools {
namespace {

// How often Run looks at the connection, the player and the hang-up flag.
constexpr auto kWatchTick = std::chrono::milliseconds(5);
// How long a new connection waits for the server's greeting before it
// counts as made anyway.
constexpr auto kGreetingWait = std::chrono::seconds(2);
// Attempts after a hang-up without --reconnect.
constexpr int kHangupAttempts = 5;

std::string RoundLine(const RoundReport& report) {
    std::string line = "round " + std::to_string(report.number) + ":";
    for (BotKey key : report.keys) {
        line += std::string(" ") + BotKeyName(key);
    }
    if (report.keys.empty()) {
        line += " -";
    }
    // The server's texts are Windows-1252; the terminal wants UTF-8.
    line += " | " + (report.result.empty() ? std::string("(result not seen)")
                                           : Cp1252ToUtf8(report.result));
    if (report.resultFromSeries) {
        line += " (from the points in series: the game ended with this round)";
    }
    return line;
}

}  // namespace

BotSession::BotSession(SessionSettings settings, BotPlayer& player,
                       std::function<std::uint32_t()> clock, std::ostream& out, std::ostream& err)
    : settings_(std::move(settings)),
      player_(player),
      clock_(std::move(clock)),
      out_(out),
      err_(err) {}

BotSession::~BotSession() {
    if (client_) {
        client_->Close();
    }
}

int BotSession::Run(std::atomic<bool>& hangup) {
    client_ = Connect(false);
    if (!client_) {
        return 1;
    }
    for (;;) {
        client_->WaitForClosedByServer(kWatchTick);
        int rounds = 0;
        bool done = false;
        {
            std::lock_guard guard(playerMutex_);
            rounds = player_.roundsPlayed();
            done = player_.Done();
        }
        // After the look at the player: a round it finished meanwhile is
        // printed now, before any leaving.
        PrintReports();
        if (done) {
            client_->Close();
            Note("played " + std::to_string(rounds) + " rounds, leaving");
            return 0;
        }
        if (hangup.exchange(false)) {
            Note("hang-up: dropping the connection and connecting again");
            ConnectionLost();
            client_ = Connect(true);
        } else if (client_->ClosedByServer()) {
            ConnectionLost();
            if (!settings_.reconnect) {
                return LostForGood();
            }
            Note("the server closed the connection; connecting again");
            client_ = Connect(false);
        }
        if (!client_) {
            return 1;
        }
    }
}

int BotSession::LostForGood() {
    PrintReports();
    int rounds = 0;
    int planned = 0;
    {
        std::lock_guard guard(playerMutex_);
        rounds = player_.roundsPlayed();
        planned = player_.plannedRounds();
    }
    if (planned == 0) {
        Note("the server closed the connection after " + std::to_string(rounds) + " rounds");
        return 0;
    }
    err_ << "quib_bot: the server at " << Where() << " closed the connection after " << rounds
         << " of " << planned << " rounds" << std::endl;
    return 1;
}

// One attempt at once; with `reconnect` further attempts after a growing
// pause, until one succeeds or the attempts run out. A hang-up asked for by
// hand gets a few attempts even without `reconnect`: the server may not yet
// have freed the seat of the connection just dropped.
std::unique_ptr<TestClient> BotSession::Connect(bool afterHangup) {
    const int allowed = settings_.reconnect ? settings_.attempts
                        : afterHangup       ? kHangupAttempts
                                            : 1;
    std::uint32_t pauseMs = settings_.firstBackoffMs;
    for (int failures = 1;; ++failures) {
        bool seatRefused = false;
        if (std::unique_ptr<TestClient> client = ConnectOnce(seatRefused)) {
            Note("connected to " + Where() + " as " + settings_.name);
            return client;
        }
        if (allowed > 0 && failures >= allowed) {
            err_ << "quib_bot: " << (seatRefused ? "no free seat at " : "cannot connect to ")
                 << Where();
            if (failures > 1) {
                err_ << " (" << failures << " attempts)";
            }
            err_ << (seatRefused ? "; the server closed the connection at once (two players "
                                   "already there?)"
                                 : "; is the server running and listening there?")
                 << std::endl;
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        pauseMs = std::min(pauseMs * 2, settings_.maxBackoffMs);
    }
}

// Connected means greeted: the server closes a connection it has no seat
// for at once, without a frame.
std::unique_ptr<TestClient> BotSession::ConnectOnce(bool& seatRefused) {
    auto client = std::make_unique<TestClient>();
    client->SetHostName(settings_.name);
    client->SetKeepFrames(false);
    client->SetKeySource([this](std::span<const std::uint8_t> frame) {
        const FrameNews news = ReadFrameNews(frame);
        std::lock_guard guard(playerMutex_);
        return player_.OnFrame(news, clock_());
    });
    if (!client->Connect(settings_.port, settings_.host)) {
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + kGreetingWait;
    while (client->FramesReceived() == 0 && std::chrono::steady_clock::now() < deadline) {
        if (client->WaitForClosedByServer(kWatchTick) && client->FramesReceived() == 0) {
            client->Close();
            seatRefused = true;
            return nullptr;
        }
    }
    return client;
}

void BotSession::ConnectionLost() {
    client_->Close();
    client_.reset();
    std::lock_guard guard(playerMutex_);
    player_.ConnectionLost();
}

void BotSession::PrintReports() {
    std::vector<RoundReport> reports;
    {
        std::lock_guard guard(playerMutex_);
        reports = player_.TakeReports();
    }
    for (const RoundReport& report : reports) {
        if (!settings_.quiet) {
            out_ << RoundLine(report) << std::endl;
        }
    }
}

void BotSession::Note(const std::string& text) {
    if (!settings_.quiet) {
        out_ << "quib_bot: " << text << std::endl;
    }
}

std::string BotSession::Where() const {
    return settings_.host + ":" + std::to_string(settings_.port);
}

}  // namespace quib::tools
