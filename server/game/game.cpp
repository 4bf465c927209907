#include "server/game/game.h"

#include "protocol/messages.h"
#include "server/records/file_numbering.h"

namespace quib::server {

Game::Game(ServerState& serverState, const ServerTexts& serverTexts, RecordNumbers& numbers)
    : state(serverState), texts(serverTexts), numbers_(numbers) {}

void Game::BeginGame(std::uint32_t nowMs, const LocalTime& now) {
    state.gameState = SetUp;
    for (SeatRecord& seat : seats) {
        seat.statusText = texts[txt::kPleaseWait];
        seat.readyState = 0;
    }
    BeginGameRecord(nowMs, now);
}

void Game::BeginGameRecord(std::uint32_t nowMs, const LocalTime& now) {
    gameRecord = GameRecord{};
    gameRecord.number = numbers_.NextGameNumber();
    // With every number taken the game gets no file name, so that writing its
    // files fails with a message instead of replacing another game's.
    gameRecord.fileName =
        gameRecord.number >= 0 ? NumberedFileName('g', gameRecord.number) : std::string();
    gameRecord.startDate = now;
    gameRecord.startMs = nowMs;
    positionLogText.clear();
    positionLogCount = 0;
}

void Game::Abort() {
    for (SeatRecord& seat : seats) {
        ClearScreen(seat);
        seat.statusText = texts[txt::kPleaseWait];
    }
    state.gameState = Idle;
    PostLogMessage(state, texts[txt::kGameAborted]);
}

void Game::ResetScores(ResetKind kind) {
    const bool everything = kind == ResetKind::Everything;
    if (everything || kind == ResetKind::Series) {
        statistics.currentSeries = 0;
    }
    if (everything || kind == ResetKind::Record) {
        statistics.bestSeries = 0;
        statistics.currentSeries = 0;
    }
    if (everything || kind == ResetKind::Panel) {
        statistics.runningSeries = 0;
        statistics.currentRow = {};
        statistics.lastRow = {};
        statistics.totalRow = {};
        statistics.levelRow = {};
    }
    if (everything || kind == ResetKind::Series || kind == ResetKind::Record) {
        for (SeatRecord& seat : seats) {
            seat.scoreText = ScoreText(statistics, texts);
        }
    }
    state.refreshStatistics = 1;
}

void Game::ResetScreens(ScreenReset reset) {
    for (SeatRecord& seat : seats) {
        MarkScreenUnsent(seat);
        if (reset != ScreenReset::Full) {
            continue;
        }
        seat.statusText = "X";
        seat.statusColour = protocol::kNoColour;
        seat.scoreText = ScoreText(statistics, texts);
        seat.scoreColour = Rgb(150, 150, 150);
        seat.readyState = 0;
    }
}

void Game::ForgetKeys(int seat) {
    keyTable[seat].fill(0);
}

std::optional<FinishedRound> Game::TakeFinishedRound() {
    std::optional<FinishedRound> round = std::move(finished_);
    finished_.reset();
    return round;
}

void Game::RoundRecorded(const RecordOutcome& outcome) {
    for (int seat = 0; seat < kSeats; ++seat) {
        const std::optional<SubjectRecord>& updated = outcome.subjects[seat];
        SubjectRecord& subject = state.subjects[seat];
        // The experimenter cannot change a seat's subject while a game runs;
        // should it have happened anyway, the new subject keeps its own totals.
        // Only the counters: the main thread reads the subject's number and
        // texts without the lock (it alone changes them).
        if (updated && updated->subjectFile == subject.subjectFile) {
            subject.totalPoints = updated->totalPoints;
            subject.record = updated->record;
            subject.totalRounds = updated->totalRounds;
            subject.totalPlayMs = updated->totalPlayMs;
            subject.roundsWithPartner = updated->roundsWithPartner;
            subject.msWithPartner = updated->msWithPartner;
            state.refreshSubjectStats = 1;
        }
    }
}

}  // namespace quib::server
