#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/key_codes.h"
#include "tools/bot/frame_news.h"

namespace quib::tools {

// The keys a bot presses, as Windows virtual-key codes.
enum class BotKey : std::uint8_t {
    Space = kKeySpace,
    Left = kKeyLeft,
    Up = kKeyUp,
    Right = kKeyRight,
    Down = kKeyDown,
};

// "SPACE", "LEFT", "UP", "RIGHT", "DOWN".
const char* BotKeyName(BotKey key);
// The key of such a name, any letter case; nullopt for anything else.
std::optional<BotKey> BotKeyFromName(const std::string& name);

// How the bot plays each round.
struct BotPlan {
    // Least time between two key presses.
    std::uint32_t paceMs = 400;
    // Random arrow presses per round, used when `script` is empty.
    int randomMoves = 3;
    std::uint32_t seed = 1;
    // The arrow keys of every round, pressed in this order; the round is
    // then ended with the space bar.
    std::vector<BotKey> script;
    // Rounds after which the bot is done; 0 for no end.
    int rounds = 0;
};

// The server texts the bot recognises the game by (Windows-1252). Where a
// language file changes them beyond what is given here, the status colours
// still tell most of the game apart.
struct BotTexts {
    std::string pressToStart =
        "Um neue Runde zu starten bitte Leertaste dr\xFC"
        "cken.";                                                  // txt34
    std::string waitForPartner = "Bitte auf Mitspieler warten.";  // txt36
    std::string playing = "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden.";
    std::string lost = "Verloren";  // txt39
    std::string won = "Gewonnen";   // txt40
};

// The score line the server shows (message 34): the points in series
// (won rounds in a row, across games) before the highscore, e.g. "Punkte in
// Serie: 3 Highscore: 5". The series is the first whole number after the
// first colon, whatever words a language file puts around it; nullopt when
// the line has none.
std::optional<int> SeriesOfScore(const std::string& score);

// One finished round as the bot saw it.
struct RoundReport {
    int number = 0;            // 1, 2, ... since the bot started
    std::vector<BotKey> keys;  // pressed while the round ran
    std::string result;        // the status line that told the result
    // The game ended with the round, so the server replaced the result by
    // "please wait" before a frame showed it; `result` ("Gewonnen!" or
    // "Verloren!") was then read from the points in series.
    bool resultFromSeries = false;
};

// Where the bot believes the game stands, from the status line.
enum class BotPhase {
    Unknown,         // nothing readable seen yet
    Idle,            // no game
    PressToStart,    // the round is set up and waits for this player
    WaitForPartner,  // this player is ready (or has ended the round)
    Playing,         // the round runs
    Result,          // the round is judged; space continues
};

// The decisions of a bot player: which key to hold in the reply to each
// frame, from what the frames showed and the time. No sockets and no clock
// of its own: the caller hands in every good frame's news with the time it
// arrived, and sends the returned keys in the reply to that very frame.
//
// A press is one reply with the key down followed by at least one reply with
// no key: the server keeps a reply's keys until the next reply, so it sees
// the key exactly once, and it needs the key reported up before the space
// bar counts again.
//
// Arrows are pressed only while the own figure stands still: the server
// drops keys that come while the figure travels. A press that moves the
// figure shows in the very next frame, which draws the figure one step
// further; the figure has arrived once a frame no longer moves it.
//
// Not thread-safe; the caller serialises the calls.
class BotPlayer {
  public:
    BotPlayer(BotPlan plan, BotTexts texts);

    // The keys for the reply to the frame that brought `news`.
    std::bitset<256> OnFrame(const FrameNews& news, std::uint32_t nowMs);

    // The connection is gone: what the screen showed no longer holds. The
    // rounds played and the plan of a round in progress are kept, so that a
    // bot that comes back to its seat goes on where it was.
    void ConnectionLost();

    BotPhase phase() const { return phase_; }
    int roundsPlayed() const { return roundsPlayed_; }
    int plannedRounds() const { return plan_.rounds; }
    // The planned number of rounds has been played; no more keys follow.
    bool Done() const { return plan_.rounds > 0 && roundsPlayed_ >= plan_.rounds; }
    // Rounds finished since the last call, oldest first.
    std::vector<RoundReport> TakeReports();

  private:
    BotPhase Classify(const StatusLine& status, bool partnerViewCreated) const;
    void TakeStatus(const StatusLine& status, bool partnerViewCreated);
    void TakeScore(const FrameNews& news);
    bool GameEndedWithTheRound(const StatusLine& status, bool partnerViewCreated) const;
    std::string ResultFromSeries() const;
    void TakeFigure(const FrameNews& news);
    void BeginRound();
    void FinishRound(const std::string& result, bool fromSeries = false);
    bool PaceAllows(std::uint32_t nowMs) const;
    BotKey NextKeyWhilePlaying();
    BotKey RandomArrow();
    std::bitset<256> Press(BotKey key, std::uint32_t nowMs);

    BotPlan plan_;
    BotTexts texts_;
    std::mt19937 random_;

    BotPhase phase_ = BotPhase::Unknown;
    bool releaseDue_ = false;  // the last reply held a key
    std::optional<std::uint32_t> lastPressMs_;

    // The own figure: where it was last drawn, and whether the last frame
    // moved it.
    std::optional<protocol::Point> figure_;
    bool figureMoving_ = false;

    // The round in progress: seen running and not yet judged.
    bool roundOpen_ = false;
    std::vector<BotKey> roundKeys_;
    std::size_t movesSent_ = 0;

    // The points in series the score line last showed.
    std::optional<int> series_;

    int roundsPlayed_ = 0;
    std::vector<RoundReport> reports_;
};

}  // namespace quib::tools
