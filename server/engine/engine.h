#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/drawing.h"
#include "protocol/frame.h"
#include "server/core/message_sink.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/engine/connection_graph.h"
#include "server/engine/game_record.h"
#include "server/engine/listener.h"
#include "server/engine/random_source.h"
#include "server/engine/round_record.h"
#include "server/engine/screen_writer.h"
#include "server/engine/seat_link.h"
#include "server/engine/seat_mirror.h"
#include "server/engine/seat_record.h"
#include "server/engine/statistics.h"

namespace quib::server {

// A seat that does not answer is marked in its graph every 200 ms.
inline constexpr std::uint32_t kReplyWatchMs = 200;
// The pause between a reply taken in and the seat's next frame.
inline constexpr std::uint32_t kUpdatePauseMs = 25;

inline constexpr int kKeyCodes = 256;
inline constexpr int kScreenMirrorSide = 480;
inline constexpr int kPartnerViewMirrorSide = 170;

// [seat][Windows virtual-key code]: the keys reported in the seat's last
// reply (usually 1 for a key held down, 0 otherwise).
using KeyTable = std::array<std::array<std::int32_t, kKeyCodes>, kSeats>;

// Colours of the connection-quality graph (0x00BBGGRR).
inline constexpr Colour kGraphNeutral = Rgb(255, 255, 255);
inline constexpr Colour kGraphFree = Rgb(0, 0, 255);
inline constexpr Colour kGraphIdle = Rgb(255, 0, 127);
inline constexpr Colour kGraphAwaiting = Rgb(255, 0, 0);
inline constexpr Colour kGraphFastReply = Rgb(0, 255, 0);
inline constexpr Colour kGraphSlowReply = Rgb(255, 255, 0);

// How much Engine::ResetScreens resets.
enum class ScreenReset { MarkUnsent = 0, Full = 1 };

// Everything the network thread owns, and its work: the listening socket,
// both seats' connections and exchanges, the key table, the connection
// graphs and mirror images, and the game itself: the round set-up, the
// players' moves, the round record with its event lines and the game-wide
// position log.
//
// Thread ownership:
//   - Every member is written by the network thread only, inside RunPass,
//     which holds state.lock for the whole pass with state.engineBusy = 1.
//   - The main thread may read graphs, screenMirrors, partnerViewMirrors,
//     seats and statistics only under state.lock while engineBusy is 0 (the
//     window's deferred updates), and changes seats' game fields and the
//     statistics only through its start, abort and reset actions under the
//     same lock.
//   - listener and links are the network thread's alone; the main thread
//     never touches them (shutdown stops the thread before closing them).
//   - gameRecord, roundRecord, the position log, partnerFinished and
//     randomSource are the network thread's (GameStep and the screen
//     composition, inside RunPass), with one exception: BeginGameRecord runs
//     on the main thread under state.lock when the start toggle starts a game.
//   - grafikDir, logDir, log2Dir, messageBoxes and localClock are set once
//     before the network thread starts.
//   - mirrorStores and mirrorBacklogs are the network thread's; the
//     mirrors' present puts their views into screenMirrors and
//     partnerViewMirrors. These and the graphs' images share their pixels
//     with the copies the main thread shows; the network thread only
//     replaces them or detaches before it draws, never paints shared
//     pixels, so the window may keep and paint its copies without the lock.
// Tests drive an Engine from a single thread, with a fixed clock.
//
// The object is large (three 64 KiB buffers per seat): create it once, on the
// heap.
class Engine {
  public:
    Engine(ServerState& serverState, const ServerTexts& serverTexts);
    // Closes what is still open (see CloseAll).
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Start-up: both seats (free since construction) take `now` as their
    // last event, so that the first free-seat marks come 200 ms later.
    void StartLinks(std::uint32_t now);

    // Marks everything of both players' screens unsent so that the next
    // update frames rebuild them. ScreenReset::Full (program start) also
    // resets the seats' address, status and score texts and readiness.
    void ResetScreens(ScreenReset reset);

    // Socket events, one per pass.
    void HandleConnect(int connection, std::uint32_t now);
    void HandleData(int connection, std::uint32_t now);
    void HandleDisconnect(int connection, std::uint32_t now);

    // The per-seat exchange step: greets, sends the next frame, takes a reply
    // in, draws the connection graph.
    void ServiceSeat(int seat, std::uint32_t now);
    // Checks and parses the seat's waiting reply and executes it: fills the
    // key table (cleared first, also for a bad reply) and shows the host
    // name. Does not clear the receiver.
    void ProcessReply(int seat);

    // One step of the game, run once per pass between the socket event and
    // the seats' service. See game_step.cpp.
    void GameStep(std::uint32_t now);
    // Starts the seat's next update frame in its send buffer; the caller
    // finishes and sends it, then calls MirrorSentFrame. See
    // update_frame.cpp.
    void BuildUpdateFrame(int seat, std::uint32_t now);
    // Draws what the seat's update frame told the player on the seat's
    // mirror, as far as building the frame has not drawn it already. Runs
    // once the frame is out, so the player's exchange does not wait for the
    // server's own copy of the screen.
    void MirrorSentFrame(int seat);

    // The seat's image stores as the player program holds them, drawn from
    // the very messages the seat is sent; their present shares the views
    // with screenMirrors and partnerViewMirrors.
    SeatMirror& Mirror(int seat);

    // Draws the next round from state.settings into both seats' records,
    // prepares the round record and waits for the players to start
    // (gameState WaitStart). The random source is reseeded with `now`. See
    // round_setup.cpp.
    void SetUpRound(std::uint32_t now);
    // Starts the round record: the first free round file number in logDir,
    // `now` as the round's start, no moves, no event lines.
    void BeginRoundRecord(std::uint32_t now);
    // Records an event of the running round (RoundEventKind): appends its
    // event line, counts arrow keys as moves, and adds a position log line
    // for the start and for each arrival. Other kinds, and a key or arrival
    // of a seat other than 0 or 1, record nothing. See round_record.cpp.
    void LogRoundEvent(std::int32_t kind, std::int32_t code, std::int32_t seat, std::uint32_t now);
    // The protocols' text form of the stimulus in one cell of a seat's board.
    std::string DescribeStimulus(int seat, int cell) const;

    // Waits at most `timeoutMs` for the next socket event and takes it (a
    // new connection is accepted, nothing is read yet). Called outside
    // state.lock, so the thread's wait does not hold up the main thread.
    SocketEvent NextSocketEvent(int timeoutMs);
    // One pass of the network thread: under state.lock with engineBusy = 1,
    // handles `event`, runs one game step, services seat 0 and then seat 1.
    void RunPass(std::uint32_t now, SocketEvent event);
    // The same with the event taken without waiting.
    void RunPass(std::uint32_t now) { RunPass(now, NextSocketEvent(0)); }
    // How long the thread may wait for a socket event before the next pass
    // has timed work to do (a frame due 25 ms after a reply, a time-out mark,
    // an unfinished reply reaching its limit), at most `limitMs`. 0 after a
    // pass that took in a reply, so its keys are acted on at once and their
    // times in the round protocol are those of their arrival. See
    // seat_service.cpp.
    int MsUntilNextPass(std::uint32_t now, int limitMs) const;

    // Shutdown: closes both seats' connections and the listening socket.
    void CloseAll();

    // The seat holding `connection`, or -1.
    int SeatOf(int connection) const;

    ServerState& state;
    const ServerTexts& texts;

    Listener listener;
    std::array<SeatRecord, kSeats> seats;
    std::array<SeatLink, kSeats> links;
    // Data from a connection that holds no seat is read here and dropped.
    std::array<std::uint8_t, protocol::kBufferSize> spareReceiveBuffer{};
    KeyTable keyTable{};
    std::array<ConnectionGraph, kSeats> graphs;
    // What each player sees: the own screen (480 x 480) and the partner view
    // (170 x 170). Black until the screen composition draws them.
    std::array<QImage, kSeats> screenMirrors;
    std::array<QImage, kSeats> partnerViewMirrors;
    std::array<std::unique_ptr<SeatMirror>, kSeats> mirrorStores;
    // The figure pictures decoded, shared by both seats' mirrors (network
    // thread) and the window's figure lists (main thread, which decodes them
    // when it lists them, outside stateLock). Thread-safe by itself; a file
    // is decoded once per version, not once per round and view.
    std::shared_ptr<PictureCache> pictureCache = std::make_shared<PictureCache>();
    // The part of each seat's update frame its mirror has not drawn yet.
    std::array<MirrorBacklog, kSeats> mirrorBacklogs;
    ServerStatistics statistics;
    // Millisecond timer at the set-up of the running round; the main window
    // counts the round's live time from it.
    std::uint32_t roundStartMs = 0;

    // Where the figure pictures lie (the partner variants are looked up
    // here), and the log folder in which the round files are numbered.
    std::filesystem::path grafikDir;
    std::filesystem::path logDir;
    std::filesystem::path log2Dir;  // the position protocols
    // Where the round, game and subject files report failures; the server
    // shows them through the main thread. Null: nothing is shown (tests).
    MessageSink* messageBoxes = nullptr;
    // The wall clock for the dates and times written into the files.
    std::function<LocalTime()> localClock = CurrentLocalTime;
    // Reseeded at every round set-up; tests put in a scripted source.
    std::unique_ptr<RandomSource> randomSource = std::make_unique<TimerSeededRandom>();
    GameRecord gameRecord;
    RoundRecord roundRecord;
    // The game-wide position log: one line per round start and per figure
    // arrival, moved into the game's log2 file after every round. The count
    // numbers the lines across the whole game.
    std::string positionLogText;
    std::int32_t positionLogCount = 0;
    // [seat]: the partner has just ended the round, so the seat's screen must
    // be refreshed; set by GameStep, read and cleared by the screen
    // composition.
    std::array<std::int32_t, kSeats> partnerFinished{};

  private:
    void HandleSocketEvent(const SocketEvent& event, std::uint32_t now);
    int ChooseSeat(const std::string& peerAddress) const;
    void SendFrame(int seat, std::uint32_t now);
    void TakeReply(int seat, std::uint32_t now);
    bool ExecuteReplyMessage(int seat, std::uint8_t type, std::span<const std::uint8_t> body);
    void AddGraphColumn(int seat, int height, Colour colour);
    void ShowSeatLines(int seat, std::string_view address, std::string_view host);
    void ClearMirrors(int seat);

    // A reply was taken in during the current pass.
    bool replyTakenInPass_ = false;
};

}  // namespace quib::server
