#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "protocol/frame.h"
#include "server/core/server_state.h"
#include "server/engine/connection_graph.h"
#include "server/engine/listener.h"
#include "server/engine/seat_link.h"
#include "server/game/seat_record.h"

namespace quib::server {

// A seat that does not answer is marked in its graph every 200 ms.
inline constexpr std::uint32_t kReplyWatchMs = 200;
// The pause between a reply taken in and the seat's next frame.
inline constexpr std::uint32_t kUpdatePauseMs = 25;
inline constexpr std::uint32_t kUpdatePauseUs = kUpdatePauseMs * 1000;

// Colours of the connection-quality graph (0x00BBGGRR).
inline constexpr Colour kGraphNeutral = Rgb(255, 255, 255);
inline constexpr Colour kGraphFree = Rgb(0, 0, 255);
inline constexpr Colour kGraphIdle = Rgb(255, 0, 127);
inline constexpr Colour kGraphAwaiting = Rgb(255, 0, 0);
inline constexpr Colour kGraphFastReply = Rgb(0, 255, 0);
inline constexpr Colour kGraphSlowReply = Rgb(255, 255, 0);

// What the seat links ask of the rest of the engine.
class SeatLinkHandler {
  public:
    virtual ~SeatLinkHandler() = default;
    // A player program took the seat (its address) or left it.
    virtual void SeatTaken(int seat, const std::string& address) = 0;
    virtual void SeatLost(int seat) = 0;
    // The seat's next update frame, started in `frame`; the links finish
    // and send it.
    virtual void ComposeFrame(int seat, protocol::SendBuffer& frame, std::uint32_t now) = 0;
    // The frame is out: its bytes, for the seat's mirror.
    virtual void FrameSent(int seat, std::span<const std::uint8_t> frame) = 0;
    // A reply was taken in: the keys it reports (cleared first, so a reply
    // that fails its checks reports none) go here.
    virtual std::span<std::int32_t> KeysOf(int seat) = 0;
    // A reply to the seat's last frame was taken in (its keys are in
    // KeysOf): `badFrameReported` when the player's program answered that
    // it could not execute the frame.
    virtual void ReplyTaken(int seat, bool badFrameReported) = 0;
    // The reply named the player's computer, already blanked to one line.
    virtual void HostNameReported(int seat, std::string_view address, std::string_view host) = 0;
};

// The two seats' connections: the listening socket, accepting and losing
// player programs, the exchange rhythm of frame and reply, and the
// connection-quality graphs. Network thread only (docs/threads.md); the
// window sees the graphs and whether a seat is connected through the
// engine's door.
class SeatLinks {
  public:
    SeatLinks(ServerState& state, SeatLinkHandler& handler);
    ~SeatLinks();
    SeatLinks(const SeatLinks&) = delete;
    SeatLinks& operator=(const SeatLinks&) = delete;

    // Start-up: both seats (free since construction) take `now` as their
    // last event, so that the first free-seat marks come 200 ms later.
    void Start(std::uint32_t now);

    // Waits at most `timeout` for the next socket event and takes it (a
    // new connection is accepted, nothing is read yet). Called outside
    // state.lock, so the thread's wait does not hold up the main thread.
    SocketEvent NextSocketEvent(std::chrono::microseconds timeout);
    void HandleSocketEvent(const SocketEvent& event, std::uint32_t now);
    void HandleConnect(int connection, std::uint32_t now);
    void HandleData(int connection, std::uint32_t now);
    void HandleDisconnect(int connection, std::uint32_t now);

    // The per-seat exchange step: greets, sends the next frame, takes a reply
    // in, draws the connection graph.
    void ServiceSeat(int seat, Moment now);
    // Checks and parses the seat's waiting reply and executes it: fills the
    // seat's keys (cleared first, also for a bad reply) and reports the host
    // name. Does not clear the receiver. True when the reply is the player
    // program's report that it could not execute the frame.
    bool ProcessReply(int seat);
    // Called at the start of every pass.
    void BeginPass() { replyTakenInPass_ = false; }
    // How long the thread may wait for a socket event before the next pass
    // has timed work to do (a frame due 25 ms after a reply, to the
    // microsecond; a time-out mark or an unfinished reply reaching its
    // limit, in whole milliseconds), at most `limit`. 0 after a pass that
    // took in a reply, so its keys are acted on at once and their times in
    // the round file are those of their arrival.
    std::chrono::microseconds TimeUntilNextPass(Moment now, std::chrono::milliseconds limit) const;

    // Shutdown: closes both seats' connections and the listening socket.
    void CloseAll();

    // The seat holding `connection`, or -1.
    int SeatOf(int connection) const;
    bool Connected(int seat) const { return links[seat].connection >= 0; }

    Listener listener;
    std::array<SeatLink, kSeats> links;
    std::array<ConnectionGraph, kSeats> graphs;

  private:
    int ChooseSeat(const std::string& peerAddress) const;
    void SendFrame(int seat, std::uint32_t now);
    void TakeReply(int seat, Moment now);
    bool ExecuteReplyMessage(int seat, std::uint8_t type, std::span<const std::uint8_t> body,
                             std::span<std::int32_t> keys, bool& badFrameReported);
    void AddGraphColumn(int seat, int height, Colour colour);

    ServerState& state_;
    SeatLinkHandler& handler_;
    // Data from a connection that holds no seat is read here and dropped.
    std::array<std::uint8_t, protocol::kBufferSize> spareReceiveBuffer_{};
    // A reply was taken in during the current pass.
    bool replyTakenInPass_ = false;
};

}  // namespace quib::server
