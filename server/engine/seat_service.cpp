// The exchange rhythm of one seat and its connection-quality graph.

#include <algorithm>

#include "common/clock.h"
#include "protocol/messages.h"
#include "server/engine/engine.h"

namespace quib::server {

namespace {

// A round trip of 25 ms fills the graph's 20 pixels: height = 0.8 x ms, in
// whole numbers so that 25 ms gives exactly 20 (still green) and anything
// longer is cut to 20 and shown yellow.
constexpr std::uint64_t kGraphPixels = ConnectionGraph::kHeight;
constexpr std::uint64_t kFullScaleMs = kUpdatePauseMs;

}  // namespace

void Engine::ServiceSeat(int seat, std::uint32_t now) {
    SeatLink& link = links[seat];
    link.receiver.Expire(now);
    Colour colour = kGraphNeutral;
    switch (link.connectionState) {
        case LinkFree:
            colour = kGraphFree;
            break;
        case LinkGreeting:
            link.sender.StartFrame();
            protocol::Append(link.sender, protocol::HostNameRequest{});
            SendFrame(seat, now);
            break;
        case LinkIdle:
            colour = kGraphIdle;
            if (ElapsedMs(now, link.lastEventTime) >= kUpdatePauseMs) {
                BuildUpdateFrame(seat, now);
                SendFrame(seat, now);
                MirrorSentFrame(seat);
            }
            break;
        case LinkAwaitingReply:
            colour = kGraphAwaiting;
            if (ReplyWaiting(link)) {
                TakeReply(seat, now);
            }
            break;
        default:
            break;
    }
    // Marks a missing reply in red and a free seat in blue every 200 ms; a
    // seat that exchanges frames normally never gets here.
    if (ElapsedMs(now, link.lastEventTime) > kReplyWatchMs) {
        AddGraphColumn(seat, ConnectionGraph::kHeight, colour);
        link.lastEventTime = now;
    }
}

int Engine::MsUntilNextPass(std::uint32_t now, int limitMs) const {
    if (replyTakenInPass_) {
        return 0;
    }
    // Milliseconds until `since` + `pauseMs` has passed; 0 when it has.
    const auto until = [now](std::uint32_t since, std::uint32_t pauseMs) {
        const std::uint32_t elapsed = ElapsedMs(now, since);
        return elapsed >= pauseMs ? 0 : static_cast<int>(pauseMs - elapsed);
    };
    int wait = limitMs;
    for (const SeatLink& link : links) {
        switch (link.connectionState) {
            case LinkGreeting:
                return 0;
            case LinkIdle:
                wait = std::min(wait, until(link.lastEventTime, kUpdatePauseMs));
                break;
            case LinkAwaitingReply:
                if (ReplyWaiting(link)) {
                    return 0;
                }
                break;
            default:
                break;
        }
        // The time-out mark is due once more than kReplyWatchMs have passed.
        wait = std::min(wait, until(link.lastEventTime, kReplyWatchMs + 1));
        const int expiry = link.receiver.MsUntilExpiry(now);
        if (expiry >= 0) {
            wait = std::min(wait, expiry);
        }
    }
    return std::max(wait, 0);
}

void Engine::SendFrame(int seat, std::uint32_t now) {
    SeatLink& link = links[seat];
    SendOnConnection(link.connection, link.sender.FinishFrame());
    link.lastEventTime = now;
    link.connectionState = LinkAwaitingReply;
}

void Engine::TakeReply(int seat, std::uint32_t now) {
    SeatLink& link = links[seat];
    ProcessReply(seat);
    replyTakenInPass_ = true;
    link.receiver.Clear();
    link.connectionState = LinkIdle;
    const std::uint64_t roundTrip = ElapsedMs(now, link.lastEventTime);
    const bool slow = roundTrip > kFullScaleMs;
    const std::uint64_t height =
        std::clamp<std::uint64_t>(roundTrip * kGraphPixels / kFullScaleMs, 1, kGraphPixels);
    AddGraphColumn(seat, static_cast<int>(height), slow ? kGraphSlowReply : kGraphFastReply);
    link.lastEventTime = now;
}

void Engine::AddGraphColumn(int seat, int height, Colour colour) {
    graphs[seat].AddColumn(height, colour);
    state.refreshStrips = 1;
}

}  // namespace quib::server
