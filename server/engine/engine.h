#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/drawing.h"
#include "common/work_folders.h"
#include "server/core/message_sink.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/listener.h"
#include "server/engine/mirrors.h"
#include "server/engine/picture_check.h"
#include "server/engine/seat_links.h"
#include "server/engine/session_log.h"
#include "server/game/game.h"
#include "server/records/record_numbers.h"
#include "server/records/record_writer.h"

namespace quib::server {

// The network thread's whole work, put together from three parts that each
// own their state: the game (seats, keys, rounds, scores and records of the
// play), the seat links (sockets, exchange rhythm, connection graphs) and
// the mirrors (the server's copy of each player's screen). Each pass takes a
// socket event, runs one game step, writes the files of a round the step
// has finished, and services both seats.
//
// Threads: see docs/threads.md. The window reaches the engine only through
// EngineDoor. Tests drive an Engine from a single thread, with a fixed clock.
//
// The object is large (three 64 KiB buffers per seat): create it once, on the
// heap.
class Engine final : private SeatLinkHandler {
  public:
    // `boxes` shows the record files' failures (null: nothing is shown).
    Engine(ServerState& serverState, const ServerTexts& serverTexts, WorkFolders folders = {},
           MessageSink* boxes = nullptr);
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Program start, before the network thread runs: record files a killed
    // run left half written finished or removed, both screens to be sent in
    // full, the scores cleared, both seats waiting.
    void PrepareStart();
    // The experimenter's commands that begin and abort a game (main thread,
    // through the door): the game's and the session file's part.
    void StartGame(std::uint32_t nowMs, const LocalTime& now);
    void AbortGame();
    // The session file's lines go to `sink` from now on (start-up, before
    // the network thread runs).
    void WriteSessionTo(SessionLog::Sink sink) { session_.WriteTo(std::move(sink)); }
    // The orderly end: the session file's last line (network thread stopped).
    void EndSession() { session_.ServerEnded(PlaceOf(game_)); }

    // Listens for player programs on `port` (0: any free port). False when
    // the port cannot be had.
    bool Listen(std::uint16_t port) { return links_.listener.Open(port); }
    std::uint16_t port() const { return links_.listener.port(); }

    // Start-up: the seats' graphs begin counting from `now`.
    void StartLinks(std::uint32_t now) { links_.Start(now); }

    // Waits at most `timeout` for the next socket event, outside stateLock.
    SocketEvent NextSocketEvent(std::chrono::microseconds timeout) {
        return links_.NextSocketEvent(timeout);
    }
    // One pass of the network thread: under state.lock with engineBusy = 1,
    // handles `event`, runs one game step, writes a finished round's files,
    // services seat 0 and then seat 1.
    void RunPass(Moment now, SocketEvent event);
    // The same at a moment in whole milliseconds, with the event taken
    // without waiting or given.
    void RunPass(std::uint32_t nowMs) {
        RunPass(Moment::FromMs(nowMs), NextSocketEvent(std::chrono::microseconds(0)));
    }
    void RunPass(std::uint32_t nowMs, SocketEvent event) { RunPass(Moment::FromMs(nowMs), event); }
    std::chrono::microseconds TimeUntilNextPass(Moment now, std::chrono::milliseconds limit) const {
        return links_.TimeUntilNextPass(now, limit);
    }
    // One game step followed by the files of a round it finished.
    void GameStep(std::uint32_t now);
    // Writes the files of the round the game has just finished, if any, and
    // tells the game what came of it. Inside the pass; a failure box lets go
    // of stateLock while it waits (see docs/threads.md).
    void WriteFinishedRound();
    // Writes the files of `round` and tells the game what came of it.
    RecordOutcome WriteRound(const FinishedRound& round);

    // Rounds not wholly in the files yet: rounds waiting in memory because
    // their files could not be written, and written rounds whose subject
    // file is behind. The program must not end with any without the
    // experimenter's word.
    std::size_t UnsavedRounds() const {
        return records_.waitingRounds() + records_.subjectUpdatesDue();
    }
    // Tries again to write them; how many are still unsaved.
    std::size_t RetryUnsavedRounds();
    // Writes the waiting rounds into the lab folder `folder` instead (see
    // WriteRoundsElsewhere); how many are still unsaved.
    std::size_t WriteUnsavedRoundsInto(const std::filesystem::path& folder);
    // Forgets them, on the experimenter's word; a log line says how many.
    void DiscardUnsavedRounds();
    // At the end, with the network thread stopped: finishes a round whose
    // journal was written and removes the temporary files of any other, so
    // that a terminated program leaves no half-written record behind.
    void FinishUnfinishedWrites() { records_.RecoverUnfinishedWrites(); }

    // The seat's next update frame, built into its send buffer as the seat's
    // service does before it sends it; and the mirror drawing it once sent.
    void ComposeUpdateFrame(int seat, std::uint32_t now);
    void MirrorSentFrame(int seat);

    // Shutdown: closes both seats' connections and the listening socket.
    void CloseAll() { links_.CloseAll(); }

    // The decoded figure pictures, shared with the window's figure lists.
    const std::shared_ptr<PictureCache>& pictures() const { return mirrors_.pictures(); }

    Game& game() { return game_; }
    const Game& game() const { return game_; }
    SeatLinks& links() { return links_; }
    const SeatLinks& links() const { return links_; }
    Mirrors& mirrors() { return mirrors_; }
    const Mirrors& mirrors() const { return mirrors_; }
    const WorkFolders& folders() const { return folders_; }

    ServerState& state;
    const ServerTexts& texts;

  private:
    void SeatTaken(int seat, const std::string& address) override;
    void SeatLost(int seat) override;
    void ComposeFrame(int seat, protocol::SendBuffer& frame, std::uint32_t now) override;
    void FrameSent(int seat, std::span<const std::uint8_t> frame) override;
    std::span<std::int32_t> KeysOf(int seat) override;
    void ReplyTaken(int seat, bool badFrameReported) override;
    void HostNameReported(int seat, std::string_view address, std::string_view host) override;
    void ShowSeatLines(int seat, std::string_view address, std::string_view host);
    void ShowPictureCheck(int seat, PictureCheck::Change change);

    WorkFolders folders_;
    // Before the numbers: rounds it keeps until they are written hold theirs.
    RecordWriter records_;
    FolderRecordNumbers numbers_;
    Game game_;
    Mirrors mirrors_;
    SeatLinks links_;
    std::array<PictureCheck, kSeats> pictureChecks_;
    // Under stateLock: the network thread's passes, the main thread's game
    // start and abort through the door and the end (docs/threads.md).
    SessionLog session_;
};

}  // namespace quib::server
