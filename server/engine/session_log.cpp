#include "server/engine/session_log.h"

#include <algorithm>

namespace quib::server {

namespace {

// "2026-12-11T17:05:01", the wall-clock second of a session time.
std::string_view SecondOf(std::string_view time) {
    return time.substr(0, time.find('.'));
}

}  // namespace

SessionPlace PlaceOf(const Game& game) {
    SessionPlace place;
    const std::int32_t state = game.state.gameState;
    if (state == Idle || game.gameRecord.number < 0) {
        return place;
    }
    place.game = game.gameRecord.number;
    if (state == WaitStart || state == Running) {
        place.round = game.gameRecord.rounds + 1;
    }
    return place;
}

void SessionLog::SeatTaken(int seat, std::string address) {
    computers_[seat] = {true, false, std::move(address), ""};
}

void SessionLog::HostReported(int seat, std::string host, const SessionPlace& place) {
    Computer& computer = computers_[seat];
    if (!computer.connected) {
        return;
    }
    const bool changed = computer.host != host;
    computer.host = std::move(host);
    if (!computer.announced) {
        Announce(seat, place);
    } else if (changed) {
        Write(SeatEvent(SessionEventKind::HostChanged, seat, place));
    }
}

void SessionLog::SeatLost(int seat, const SessionPlace& place) {
    Announce(seat, place);
    Write(SeatEvent(SessionEventKind::SeatLost, seat, place));
    computers_[seat] = {};
}

void SessionLog::BadFrameReported(int seat, const SessionPlace& place) {
    if (!sink_) {
        return;
    }
    Announce(seat, place);
    SessionEvent now = SeatEvent(SessionEventKind::BadFrames, seat, place);
    std::optional<SessionEvent>& count = badCounts_[seat];
    if (count && SecondOf(count->time) == SecondOf(now.time)) {
        *count->count += 1;
        return;
    }
    if (count) {
        // A new second: the last one's counts are complete, and the new
        // line must come after them.
        WriteBadCounts();
    }
    now.count = 1;
    count = std::move(now);
}

void SessionLog::GameStarted(const SessionPlace& place) {
    for (int seat = 0; seat < kSeats; ++seat) {
        Announce(seat, place);
        Write(SeatEvent(SessionEventKind::GameStarted, seat, place));
    }
}

void SessionLog::GameEnded(const SessionPlace& place) {
    Write(EventNow(SessionEventKind::GameEnded, std::nullopt, place));
}

void SessionLog::ServerEnded(const SessionPlace& place) {
    for (int seat = 0; seat < kSeats; ++seat) {
        Announce(seat, place);
    }
    Write(EventNow(SessionEventKind::ServerEnded, std::nullopt, place));
}

void SessionLog::Tick() {
    const bool counting =
        std::any_of(badCounts_.begin(), badCounts_.end(), [](const auto& c) { return c; });
    if (!counting) {
        return;
    }
    const std::string now = FormatIsoMs(clock_());
    for (const std::optional<SessionEvent>& count : badCounts_) {
        if (count && SecondOf(count->time) != SecondOf(now)) {
            WriteBadCounts();
            return;
        }
    }
}

SessionEvent SessionLog::EventNow(SessionEventKind kind, std::optional<int> seat,
                                  const SessionPlace& place) const {
    SessionEvent event;
    event.time = FormatIsoMs(clock_());
    event.kind = kind;
    event.seat = seat;
    event.game = place.game;
    event.round = place.round;
    return event;
}

SessionEvent SessionLog::SeatEvent(SessionEventKind kind, int seat,
                                   const SessionPlace& place) const {
    SessionEvent event = EventNow(kind, seat + 1, place);
    event.address = computers_[seat].address;
    event.host = computers_[seat].host;
    return event;
}

void SessionLog::Announce(int seat, const SessionPlace& place) {
    Computer& computer = computers_[seat];
    if (computer.connected && !computer.announced) {
        computer.announced = true;
        Write(SeatEvent(SessionEventKind::SeatTaken, seat, place));
    }
}

void SessionLog::Write(const SessionEvent& event) {
    if (!sink_) {
        return;
    }
    WriteBadCounts();
    Emit(event);
}

// Both seats' counts end together, the earlier first: a line after either
// would end the other's count anyway, and its time must not come before
// that line's.
void SessionLog::WriteBadCounts() {
    std::array<std::optional<SessionEvent>*, kSeats> counts = {&badCounts_[0], &badCounts_[1]};
    std::sort(counts.begin(), counts.end(), [](const auto* a, const auto* b) {
        return a->has_value() && (!b->has_value() || (*a)->time < (*b)->time);
    });
    for (std::optional<SessionEvent>* count : counts) {
        if (*count) {
            Emit(**count);
            count->reset();
        }
    }
}

void SessionLog::Emit(const SessionEvent& event) {
    if (sink_) {
        sink_(FormatSessionEvent(event));
    }
}

}  // namespace quib::server
