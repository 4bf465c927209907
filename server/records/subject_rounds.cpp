// The subject files' share of a round: totals on lines 7 and 8 and one row
// per game.

#include "server/records/subject_rounds.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "server/records/csv_text.h"
#include "server/records/record_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr int kPointsLine = 7;
constexpr int kRoundsLine = 8;

// The totals are read from files the experimenter may have edited; a sum
// held at the int32 limit stays wrong but can never turn negative.
std::int32_t AddHeld(std::int32_t total, std::int32_t amount) {
    const std::int64_t sum = static_cast<std::int64_t>(total) + amount;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum > kMax ? kMax : sum < kMin ? kMin : sum);
}

std::string AddRoundToTotals(const FinishedRound& round, SubjectRecord& subject, std::string text) {
    const std::int32_t durationMs = RoundDurationMs(round);
    if (round.won == 1) {
        subject.totalPoints = AddHeld(subject.totalPoints, 1);
        text = SetCsvField(text, kPointsLine, 2, std::to_string(subject.totalPoints));
        if (round.game.best > subject.record) {
            subject.record = round.game.best;
            text = SetCsvField(text, kPointsLine, 4, std::to_string(subject.record));
        }
    }
    subject.totalPlayMs = AddHeld(subject.totalPlayMs, durationMs);
    text = SetCsvField(text, kRoundsLine, 4, std::to_string(subject.totalPlayMs));
    text = SetCsvField(text, kRoundsLine, 5, FormatClock(subject.totalPlayMs / 1000));
    subject.msWithPartner = AddHeld(subject.msWithPartner, durationMs);
    subject.totalRounds = AddHeld(subject.totalRounds, 1);
    text = SetCsvField(text, kRoundsLine, 2, std::to_string(subject.totalRounds));
    subject.roundsWithPartner = AddHeld(subject.roundsWithPartner, 1);
    return text;
}

// The ten columns of the subject file's game table.
std::string GameRow(const FinishedRound& round, int seat) {
    const RecordedGame& game = round.game;
    const RecordedSeat& player = round.seats[seat];
    const std::string& partnerFile = round.seats[1 - seat].subject.subjectFile;
    return JoinFields({game.fileName, FormatDate(game.startDate) + " " + FormatHms(game.startDate),
                       FileNamePart(partnerFile), std::to_string(game.points),
                       std::to_string(game.best), std::to_string(game.rounds),
                       std::to_string(game.activeMs), FormatClock(game.activeMs / 1000),
                       std::to_string(player.level), player.displayMode == 1 ? "1" : "0"});
}

// `text` ends with LF (or is empty).
std::string PutGameRow(std::string_view text, std::string_view gameFile, const std::string& row) {
    std::string result;
    bool replaced = false;
    for (const std::string_view line : SplitLines(text)) {
        const bool ofThisGame = line.substr(0, gameFile.size()) == gameFile;
        result += ofThisGame ? std::string_view(row) : line;
        result += '\n';
        replaced = replaced || ofThisGame;
    }
    if (!replaced) {
        result += row + "\n";
    }
    return result;
}

}  // namespace

std::string SubjectFileAfterRound(std::string text, SubjectRecord& subject, int seat,
                                  const FinishedRound& round) {
    text = AddRoundToTotals(round, subject, std::move(text));
    return PutGameRow(text, round.game.fileName, GameRow(round, seat));
}

}  // namespace quib::server
