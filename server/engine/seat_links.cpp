// The seats' connections: taking, keeping and losing them, the exchange
// rhythm with its connection-quality graph, and taking replies in.

#include "server/engine/seat_links.h"

#include <algorithm>
#include <string>

#include "common/clock.h"
#include "common/visible_text.h"
#include "protocol/messages.h"

namespace quib::server {

namespace {

// A round trip of 25 ms fills the graph's 20 pixels: height = 0.8 x ms, in
// whole numbers so that 25 ms gives exactly 20 (still green) and anything
// longer is cut to 20 and shown yellow.
constexpr std::uint64_t kGraphPixels = ConnectionGraph::kHeight;
constexpr std::uint64_t kFullScaleMs = kUpdatePauseMs;

// The time until `since` + `pause` has passed on a wrapping timer counting
// in `Ticks`; 0 when it has.
template <typename Ticks>
Ticks Remaining(std::uint32_t now, std::uint32_t since, std::uint32_t pause) {
    const std::uint32_t elapsed = now - since;
    return Ticks(elapsed >= pause ? 0 : pause - elapsed);
}

}  // namespace

SeatLinks::SeatLinks(ServerState& state, SeatLinkHandler& handler)
    : state_(state), handler_(handler) {}

SeatLinks::~SeatLinks() {
    CloseAll();
}

void SeatLinks::Start(std::uint32_t now) {
    for (SeatLink& link : links) {
        link.lastEventTime = now;
    }
}

SocketEvent SeatLinks::NextSocketEvent(std::chrono::microseconds timeout) {
    std::array<WatchedConnection, kSeats> watched;
    std::size_t count = 0;
    for (const SeatLink& link : links) {
        if (link.connection >= 0) {
            // While a finished reply waits to be taken in, reading on would
            // only find the connection readable again and again.
            watched[count++] = {link.connection, !ReplyWaiting(link)};
        }
    }
    return listener.Poll(std::span(watched.data(), count), timeout);
}

void SeatLinks::HandleSocketEvent(const SocketEvent& event, std::uint32_t now) {
    switch (event.kind) {
        case SocketEventKind::Connect:
            HandleConnect(event.connection, now);
            break;
        case SocketEventKind::Data:
            HandleData(event.connection, now);
            break;
        case SocketEventKind::Disconnect:
            HandleDisconnect(event.connection, now);
            break;
        case SocketEventKind::None:
            break;
    }
}

void SeatLinks::CloseAll() {
    for (SeatLink& link : links) {
        CloseConnection(link.connection);
        link.connection = -1;
        link.connectionState = LinkFree;
        link.receiver.Reset();
    }
    listener.Close();
}

int SeatLinks::SeatOf(int connection) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        if (connection >= 0 && links[seat].connection == connection) {
            return seat;
        }
    }
    return -1;
}

void SeatLinks::HandleConnect(int connection, std::uint32_t now) {
    const std::string address = PeerAddress(connection);
    const int seat = ChooseSeat(address);
    state_.refreshControls = 1;
    if (seat < 0) {
        // A third player program is never served.
        CloseConnection(connection);
        return;
    }
    SeatLink& link = links[seat];
    link.connection = connection;
    link.lastEventTime = now;
    link.connectionState = LinkGreeting;
    link.receiver.Reset();
    link.peerAddress = address;
    link.rememberedAddress = address;
    handler_.SeatTaken(seat, address);
}

// The first free seat, except that a program coming back from the computer
// remembered for the other seat gets that seat again if it is free.
int SeatLinks::ChooseSeat(const std::string& peerAddress) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        if (links[seat].connection >= 0) {
            continue;
        }
        const int other = 1 - seat;
        // An unknown address matches nothing: an empty remembered address
        // means no computer was ever seen there.
        const bool otherIsHome = !peerAddress.empty() &&
                                 links[other].rememberedAddress == peerAddress &&
                                 links[other].connection < 0;
        return otherIsHome ? other : seat;
    }
    return -1;
}

void SeatLinks::HandleData(int connection, std::uint32_t now) {
    const int seat = SeatOf(connection);
    if (seat < 0) {
        // Read and dropped, never answered.
        ReadConnection(connection, spareReceiveBuffer_);
        return;
    }
    SeatLink& link = links[seat];
    const ReadResult read = ReadConnection(connection, link.receiver.FreeSpace());
    if (read.lost) {
        HandleDisconnect(connection, now);
        return;
    }
    if (read.count > 0) {
        link.receiver.Received(read.count, now);
    }
}

void SeatLinks::HandleDisconnect(int connection, std::uint32_t now) {
    const int seat = SeatOf(connection);
    if (seat < 0) {
        return;
    }
    CloseConnection(connection);
    SeatLink& link = links[seat];
    link.connection = -1;
    link.lastEventTime = now;
    link.connectionState = LinkFree;
    link.receiver.Reset();
    handler_.SeatLost(seat);
    state_.refreshControls = 1;
}

void SeatLinks::ServiceSeat(int seat, Moment moment) {
    const std::uint32_t now = moment.ms;
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
            if (ElapsedUs(moment.us, link.replyTakenUs) >= kUpdatePauseUs) {
                handler_.ComposeFrame(seat, link.sender, now);
                SendFrame(seat, now);
                handler_.FrameSent(seat, link.sender.bytes());
            }
            break;
        case LinkAwaitingReply:
            colour = kGraphAwaiting;
            if (ReplyWaiting(link)) {
                TakeReply(seat, moment);
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

std::chrono::microseconds SeatLinks::TimeUntilNextPass(Moment now,
                                                       std::chrono::milliseconds limit) const {
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    if (replyTakenInPass_) {
        return microseconds(0);
    }
    microseconds wait = limit;
    for (const SeatLink& link : links) {
        switch (link.connectionState) {
            case LinkGreeting:
                return microseconds(0);
            case LinkIdle:
                wait = std::min<microseconds>(
                    wait, Remaining<microseconds>(now.us, link.replyTakenUs, kUpdatePauseUs));
                break;
            case LinkAwaitingReply:
                if (ReplyWaiting(link)) {
                    return microseconds(0);
                }
                break;
            default:
                break;
        }
        // The time-out mark is due once more than kReplyWatchMs have passed.
        wait = std::min<microseconds>(
            wait, Remaining<milliseconds>(now.ms, link.lastEventTime, kReplyWatchMs + 1));
        const int expiry = link.receiver.MsUntilExpiry(now.ms);
        if (expiry >= 0) {
            wait = std::min<microseconds>(wait, milliseconds(expiry));
        }
    }
    return std::max(wait, microseconds(0));
}

void SeatLinks::SendFrame(int seat, std::uint32_t now) {
    SeatLink& link = links[seat];
    SendOnConnection(link.connection, link.sender.FinishFrame());
    link.lastEventTime = now;
    link.connectionState = LinkAwaitingReply;
}

void SeatLinks::TakeReply(int seat, Moment moment) {
    const std::uint32_t now = moment.ms;
    SeatLink& link = links[seat];
    const bool badFrameReported = ProcessReply(seat);
    replyTakenInPass_ = true;
    link.receiver.Clear();
    link.connectionState = LinkIdle;
    const std::uint64_t roundTrip = ElapsedMs(now, link.lastEventTime);
    const bool slow = roundTrip > kFullScaleMs;
    const std::uint64_t height =
        std::clamp<std::uint64_t>(roundTrip * kGraphPixels / kFullScaleMs, 1, kGraphPixels);
    AddGraphColumn(seat, static_cast<int>(height), slow ? kGraphSlowReply : kGraphFastReply);
    link.lastEventTime = now;
    link.replyTakenUs = moment.us;
    handler_.ReplyTaken(seat, badFrameReported);
}

void SeatLinks::AddGraphColumn(int seat, int height, Colour colour) {
    graphs[seat].AddColumn(height, colour);
    state_.refreshStrips = 1;
}

bool SeatLinks::ProcessReply(int seat) {
    // The table holds exactly the keys of the latest reply; a reply that
    // fails its checks reports none.
    const std::span<std::int32_t> keys = handler_.KeysOf(seat);
    std::fill(keys.begin(), keys.end(), 0);
    const protocol::FrameReceiver& receiver = links[seat].receiver;
    if (receiver.status() != protocol::FrameReceiver::Status::Complete) {
        return false;
    }
    const auto frame = receiver.bytes();
    if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
        return false;
    }
    bool badFrameReported = false;
    protocol::ParseMessages(frame, [&, this](std::uint8_t type, auto body) {
        return ExecuteReplyMessage(seat, type, body, keys, badFrameReported);
    });
    return badFrameReported;
}

// False ends the parse: an unknown type, or a message too short for its
// fields.
bool SeatLinks::ExecuteReplyMessage(int seat, std::uint8_t type, std::span<const std::uint8_t> body,
                                    std::span<std::int32_t> keys, bool& badFrameReported) {
    using protocol::ClientMessage;
    switch (static_cast<ClientMessage>(type)) {
        case ClientMessage::ReplyStart:
            return true;
        case ClientMessage::BadFrameReport:
            badFrameReported = true;
            return true;
        case ClientMessage::KeyDown: {
            protocol::KeyDown key;
            if (!protocol::Parse(body, &key)) {
                return false;
            }
            keys[key.key] = key.value;
            return true;
        }
        case ClientMessage::HostName: {
            protocol::HostName host;
            if (!protocol::Parse(body, &host)) {
                return false;
            }
            // Blanked here, where the name comes in, so that whatever shows
            // it shows the same one-line text.
            handler_.HostNameReported(seat, links[seat].peerAddress,
                                      BlankControls(host.name.value));
            return true;
        }
    }
    return false;
}

}  // namespace quib::server
