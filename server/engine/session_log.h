#pragma once

// What the session file is told of the engine's happenings: seats taken
// and lost, host names, bad frames counted per seat and wall-clock second,
// games started and ended, the server's end; each made into the file's line
// and handed to a sink (the session writer's queue) at once, without any
// disk access.
//
// Threads (docs/threads.md): the network thread (inside its pass) and the
// main thread (game start and abort through the engine's door, the end),
// always under stateLock.

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "server/core/time_format.h"
#include "server/game/game.h"
#include "server/records/session_file.h"

namespace quib::server {

// Where the play stands when an event happens: the game being played and
// the round in progress within it (see session_file.h).
struct SessionPlace {
    std::optional<int> game;
    std::optional<long long> round;
};

// The place of `game` as it stands now.
SessionPlace PlaceOf(const Game& game);

class SessionLog {
  public:
    // The wall clock, with milliseconds.
    using Clock = std::function<LocalTime()>;
    // Takes one finished line (LF included).
    using Sink = std::function<void(std::string)>;

    explicit SessionLog(Clock clock) : clock_(std::move(clock)) {}

    // Lines go to `sink` from now on; before, nothing is kept (a server
    // without a session file: the tests that drive an engine alone).
    void WriteTo(Sink sink) { sink_ = std::move(sink); }

    // Seats 0 and 1 as the engine counts them; the file counts from 1.
    void SeatTaken(int seat, std::string address);
    void HostReported(int seat, std::string host, const SessionPlace& place);
    void SeatLost(int seat, const SessionPlace& place);
    void BadFrameReported(int seat, const SessionPlace& place);
    // One line per seat, with the computer on it (none for an empty seat).
    void GameStarted(const SessionPlace& place);
    void GameEnded(const SessionPlace& place);
    void ServerEnded(const SessionPlace& place);
    // Every pass: a bad-frames count whose wall-clock second is over is
    // written. Reads the clock only while a count runs.
    void Tick();

  private:
    struct Computer {
        bool connected = false;
        // seat_taken waits for the host name, which comes with the first
        // reply, so that the line names the computer fully.
        bool announced = false;
        std::string address;
        std::string host;
    };

    SessionEvent EventNow(SessionEventKind kind, std::optional<int> seat,
                          const SessionPlace& place) const;
    SessionEvent SeatEvent(SessionEventKind kind, int seat, const SessionPlace& place) const;
    void Announce(int seat, const SessionPlace& place);
    // Writes `event` after the running bad-frames counts, whose lines it ends.
    void Write(const SessionEvent& event);
    void WriteBadCounts();
    void Emit(const SessionEvent& event);

    Clock clock_;
    Sink sink_;
    std::array<Computer, kSeats> computers_;
    std::array<std::optional<SessionEvent>, kSeats> badCounts_;
};

}  // namespace quib::server
