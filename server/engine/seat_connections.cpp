// How connections take, keep and lose the two seats.

#include <string>

#include "server/engine/engine.h"

namespace quib::server {

void Engine::HandleConnect(int connection, std::uint32_t now) {
    const std::string address = PeerAddress(connection);
    const int seat = ChooseSeat(address);
    state.refreshControls = 1;
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
    seats[seat].address = address;
    // The host name comes with the first reply, if ever.
    ShowSeatLines(seat, address, "?");
}

// The first free seat, except that a program coming back from the computer
// remembered for the other seat gets that seat again if it is free.
int Engine::ChooseSeat(const std::string& peerAddress) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        if (links[seat].connection >= 0) {
            continue;
        }
        const int other = 1 - seat;
        // An unknown address matches nothing: an empty remembered address
        // means no computer was ever seen there.
        const bool otherIsHome = !peerAddress.empty() && seats[other].address == peerAddress &&
                                 links[other].connection < 0;
        return otherIsHome ? other : seat;
    }
    return -1;
}

void Engine::HandleData(int connection, std::uint32_t now) {
    const int seat = SeatOf(connection);
    if (seat < 0) {
        // Read and dropped, never answered.
        ReadConnection(connection, spareReceiveBuffer);
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

void Engine::HandleDisconnect(int connection, std::uint32_t now) {
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
    // No player is at this seat any more: its keys must not keep steering
    // the figure until a new reply would have cleared them.
    keyTable[seat].fill(0);
    ShowSeatLines(seat, "?", "?");
    ClearMirrors(seat);
    // Both players' screens are rebuilt from scratch by the next frames: the
    // remaining one keeps playing, a returning one gets a complete screen.
    // The seat's remembered address stays, so the computer can come back.
    ResetScreens(ScreenReset::MarkUnsent);
    state.refreshBoard[seat] = 1;
    state.refreshControls = 1;
}

void Engine::ShowSeatLines(int seat, std::string_view address, std::string_view host) {
    state.seatLines[seat].addressLine = texts[33] + " " + std::to_string(seat + 1) +
                                        " - IP: " + std::string(address.empty() ? "?" : address);
    state.seatLines[seat].hostLine = "Host: " + std::string(host);
    state.refreshSeatLines = 1;
}

void Engine::ClearMirrors(int seat) {
    screenMirrors[seat].fill(Qt::black);
    partnerViewMirrors[seat].fill(Qt::black);
}

}  // namespace quib::server
