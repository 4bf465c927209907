#pragma once

#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/messages.h"

namespace quib::bench {

// What the measuring player saw of one arrow press: how many exchanges and
// how long after the reply that carried the key the first frame came whose
// drawing shows the own figure somewhere else.
struct Reaction {
    int exchanges = 0;
    double ms = 0;
};

struct PlayerRecord {
    std::size_t frames = 0;
    std::vector<double> frameGapsMs;  // between consecutive frames' arrival
    std::vector<Reaction> reactions;
    int pressesNotShown = 0;  // no move within kShowLimit frames
    // Journeys of the partner's figure (the real player's), as this seat's
    // partner view draws it: how often it set off after standing still.
    int partnerJourneys = 0;
};

enum class PlayerPhase { Other, PressToStart, WaitForPartner, Playing };

// The second seat's player during the measurement: it answers every frame
// at once (through TestClient's key source), starts the round with the
// space bar when asked to, and while told to move presses Right and Left in
// turn as soon as its figure stands, timing each press until the figure is
// drawn moving.
//
// Threads: OnFrame runs on the TestClient's loop thread; the other methods
// are called from the bench's thread. mutex_ guards everything below it.
class MeasuringPlayer {
  public:
    using Clock = std::chrono::steady_clock;
    explicit MeasuringPlayer(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

    std::bitset<256> OnFrame(std::span<const std::uint8_t> frame);

    void SetMoving(bool moving);
    PlayerPhase phase() const;
    // The last status line text, for failure messages.
    std::string status() const;
    // The record since the last call, which starts a new one.
    PlayerRecord TakeRecord();

    // A press counts as not shown after this many frames without a move.
    static constexpr int kShowLimit = 10;

  private:
    struct Press {
        std::size_t frame;
        Clock::time_point at;
        std::optional<protocol::Point> figureBefore;
    };

    void NoteFigure(const std::optional<protocol::Point>& drawn, std::size_t index,
                    Clock::time_point at);
    std::bitset<256> ChooseKeys(std::size_t index, Clock::time_point at);
    void NotePartner(const std::optional<protocol::Point>& drawn);

    std::function<Clock::time_point()> now_;
    mutable std::mutex mutex_;
    PlayerRecord record_;
    std::size_t frameIndex_ = 0;
    std::optional<Clock::time_point> lastArrival_;
    std::string status_;
    bool moving_ = false;
    bool keyHeld_ = false;  // the last reply carried a key: the next is empty
    std::optional<std::size_t> lastSpaceFrame_;
    std::optional<protocol::Point> figure_;
    std::size_t figureStillSince_ = 0;  // first frame of the figure's rest
    std::optional<Press> pending_;
    bool nextRight_ = true;
    std::optional<protocol::Point> partner_;
    std::size_t partnerStillFrames_ = 0;
};

}  // namespace quib::bench
