#include "server/engine/engine.h"

#include <mutex>
#include <string>

#include "server/core/time_format.h"
#include "server/engine/screen_composition.h"
#include "server/records/rounds_elsewhere.h"

namespace quib::server {

Engine::Engine(ServerState& serverState, const ServerTexts& serverTexts, WorkFolders folders,
               MessageSink* boxes)
    : state(serverState),
      texts(serverTexts),
      folders_(std::move(folders)),
      records_(
          serverTexts, folders_, boxes,
          [this](const std::string& line) { PostLogMessage(state, line, game_.localClock()); }),
      numbers_(folders_, records_),
      game_(serverState, serverTexts, numbers_),
      mirrors_(serverState, folders_.grafik, std::make_shared<PictureCache>()),
      links_(serverState, *this),
      session_([this] { return game_.localClock(); }) {
    game_.grafikDir = folders_.grafik;
    for (int seat = 0; seat < kSeats; ++seat) {
        // The window shows both seats' lines whenever one changes: an empty
        // seat must read as empty, not as blank.
        ShowSeatLines(seat, "?", "?");
    }
}

Engine::~Engine() {
    links_.CloseAll();
}

void Engine::PrepareStart() {
    std::lock_guard guard(state.lock);
    records_.RecoverUnfinishedWrites();
    game_.ResetScreens(ScreenReset::Full);
    game_.ResetScores(ResetKind::Everything);
    for (SeatRecord& seat : game_.seats) {
        seat.statusText = texts[txt::kPleaseWait];
    }
}

void Engine::RunPass(Moment now, SocketEvent event) {
    std::lock_guard guard(state.lock);
    state.engineBusy = 1;
    links_.BeginPass();
    links_.HandleSocketEvent(event, now.ms);
    GameStep(now.ms);
    for (int seat = 0; seat < kSeats; ++seat) {
        links_.ServiceSeat(seat, now);
    }
    session_.Tick();
    state.engineBusy = 0;
}

void Engine::GameStep(std::uint32_t now) {
    // The step itself ends a game (the toggle released after a round): the
    // session file names the game and round as they were before the end.
    const bool playing = state.gameState != Idle;
    const SessionPlace before = PlaceOf(game_);
    game_.Step(now);
    if (playing && state.gameState == Idle) {
        session_.GameEnded(before);
    }
    WriteFinishedRound();
}

void Engine::StartGame(std::uint32_t nowMs, const LocalTime& now) {
    game_.BeginGame(nowMs, now);
    session_.GameStarted(PlaceOf(game_));
}

void Engine::AbortGame() {
    if (state.gameState != Idle) {
        session_.GameEnded(PlaceOf(game_));
    }
    game_.Abort();
}

void Engine::WriteFinishedRound() {
    if (std::optional<FinishedRound> round = game_.TakeFinishedRound()) {
        WriteRound(*round);
    }
}

RecordOutcome Engine::WriteRound(const FinishedRound& round) {
    const RecordOutcome outcome = records_.Write(round);
    game_.RoundRecorded(outcome);
    return outcome;
}

std::size_t Engine::RetryUnsavedRounds() {
    game_.RoundRecorded(records_.WriteWaiting());
    return UnsavedRounds();
}

std::size_t Engine::WriteUnsavedRoundsInto(const std::filesystem::path& folder) {
    const auto log = [this](const std::string& line) {
        PostLogMessage(state, line, game_.localClock());
    };
    std::deque<FinishedRound> left =
        WriteRoundsElsewhere(records_.TakeWaiting(), folders_, folder, texts, log);
    records_.KeepWaiting(std::move(left));
    return UnsavedRounds();
}

void Engine::DiscardUnsavedRounds() {
    const std::size_t discarded = UnsavedRounds();
    records_.TakeWaiting();
    records_.ForgetSubjectUpdates();
    PostLogMessage(state, texts[txt::kRoundsDiscarded] + " " + std::to_string(discarded),
                   game_.localClock());
}

void Engine::ComposeUpdateFrame(int seat, std::uint32_t now) {
    ComposeFrame(seat, links_.links[seat].sender, now);
}

void Engine::MirrorSentFrame(int seat) {
    FrameSent(seat, links_.links[seat].sender.bytes());
}

void Engine::SeatTaken(int seat, const std::string& address) {
    // The host name comes with the first reply, if ever.
    ShowSeatLines(seat, address, "?");
    session_.SeatTaken(seat, address);
}

void Engine::SeatLost(int seat) {
    // No player is at this seat any more: its keys must not keep steering
    // the figure until a new reply would have cleared them.
    game_.ForgetKeys(seat);
    session_.SeatLost(seat, PlaceOf(game_));
    ShowSeatLines(seat, "?", "?");
    mirrors_.Clear(seat);
    // Both players' screens are rebuilt from scratch by the next frames: the
    // remaining one keeps playing, a returning one gets a complete screen.
    // The seat's remembered address stays, so the computer can come back.
    game_.ResetScreens(ScreenReset::MarkUnsent);
    state.refreshBoard[seat] = 1;
    ShowPictureCheck(seat, pictureChecks_[seat].Forget());
}

void Engine::ComposeFrame(int seat, protocol::SendBuffer& frame, std::uint32_t now) {
    ScreenWriter out = mirrors_.Writer(seat, frame);
    UpdateSeatScreen(game_, seat, out, now);
}

void Engine::FrameSent(int seat, std::span<const std::uint8_t> frame) {
    mirrors_.DrawSentFrame(seat, frame);
    pictureChecks_[seat].FrameSent(frame);
}

void Engine::ReplyTaken(int seat, bool badFrameReported) {
    if (badFrameReported) {
        session_.BadFrameReported(seat, PlaceOf(game_));
    }
    ShowPictureCheck(seat, pictureChecks_[seat].ReplyTaken(badFrameReported));
}

// The warning stands beside the seat's mirror for as long as the pictures
// are missing; the log says once which pictures the frame asked for.
void Engine::ShowPictureCheck(int seat, PictureCheck::Change change) {
    if (change == PictureCheck::Change::None) {
        return;
    }
    std::string& warning = state.seatWarnings[seat];
    warning.clear();
    if (change == PictureCheck::Change::Missing) {
        warning = texts[txt::kPictureMissingAtPlayer] + " " +
                  JoinPictureNames(pictureChecks_[seat].missing());
        PostLogMessage(state, texts[txt::kPlayer] + " " + std::to_string(seat + 1) + ": " + warning,
                       game_.localClock());
    }
    state.refreshSeatWarnings = 1;
}

std::span<std::int32_t> Engine::KeysOf(int seat) {
    return game_.keyTable[seat];
}

void Engine::HostNameReported(int seat, std::string_view address, std::string_view host) {
    ShowSeatLines(seat, address, host);
    session_.HostReported(seat, std::string(host), PlaceOf(game_));
}

void Engine::ShowSeatLines(int seat, std::string_view address, std::string_view host) {
    state.seatLines[seat].addressLine = texts[txt::kPlayer] + " " + std::to_string(seat + 1) +
                                        " - IP: " + std::string(address.empty() ? "?" : address);
    state.seatLines[seat].hostLine = "Host: " + std::string(host);
    state.refreshSeatLines = 1;
}

}  // namespace quib::server
