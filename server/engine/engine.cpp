#include "server/engine/engine.h"

#include <mutex>
#include <string>

#include "protocol/messages.h"

namespace quib::server {

namespace {

QImage BlackImage(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

}  // namespace

Engine::Engine(ServerState& serverState, const ServerTexts& serverTexts)
    : state(serverState), texts(serverTexts) {
    for (int seat = 0; seat < kSeats; ++seat) {
        screenMirrors[seat] = BlackImage(kScreenMirrorSide);
        partnerViewMirrors[seat] = BlackImage(kPartnerViewMirrorSide);
        // The window shows both seats' lines whenever one changes: an empty
        // seat must read as empty, not as blank.
        ShowSeatLines(seat, "?", "?");
    }
}

Engine::~Engine() {
    CloseAll();
}

void Engine::StartLinks(std::uint32_t now) {
    for (SeatLink& link : links) {
        link.lastEventTime = now;
    }
}

void Engine::ResetScreens(ScreenReset reset) {
    for (SeatRecord& seat : seats) {
        MarkScreenUnsent(seat);
        if (reset == ScreenReset::MarkUnsent) {
            continue;
        }
        seat.address.clear();
        seat.statusText = "X";
        seat.statusColour = protocol::kNoColour;
        seat.scoreText = ScoreText(statistics, texts);
        seat.scoreColour = Rgb(150, 150, 150);
        seat.readyState = 0;
    }
}

SocketEvent Engine::NextSocketEvent(int timeoutMs) {
    std::array<WatchedConnection, kSeats> watched;
    std::size_t count = 0;
    for (const SeatLink& link : links) {
        if (link.connection >= 0) {
            // While a finished reply waits to be taken in, reading on would
            // only find the connection readable again and again.
            watched[count++] = {link.connection, !ReplyWaiting(link)};
        }
    }
    return listener.Poll(std::span(watched.data(), count), timeoutMs);
}

void Engine::RunPass(std::uint32_t now, SocketEvent event) {
    std::lock_guard guard(state.lock);
    state.engineBusy = 1;
    replyTakenInPass_ = false;
    HandleSocketEvent(event, now);
    GameStep(now);
    for (int seat = 0; seat < kSeats; ++seat) {
        ServiceSeat(seat, now);
    }
    state.engineBusy = 0;
}

void Engine::HandleSocketEvent(const SocketEvent& event, std::uint32_t now) {
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

void Engine::CloseAll() {
    for (SeatLink& link : links) {
        CloseConnection(link.connection);
        link.connection = -1;
        link.connectionState = LinkFree;
        link.receiver.Reset();
    }
    listener.Close();
}

int Engine::SeatOf(int connection) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        if (connection >= 0 && links[seat].connection == connection) {
            return seat;
        }
    }
    return -1;
}

}  // namespace quib::server
