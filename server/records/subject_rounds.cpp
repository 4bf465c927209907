// The subject files' share of a round: the totals and one row per game.

#include "server/records/subject_rounds.h"

#include <cstdint>
#include <limits>

#include "common/decimal_text.h"
#include "server/records/csv_text.h"
#include "server/records/record_text.h"
#include "server/records/subject_format.h"
#include "server/records/subject_read.h"
#include "server/records/subject_text.h"

namespace quib::server {
namespace {

// Fields of the totals lines and of a game row, from 1.
constexpr int kTotalField = 2;        // points line and rounds line
constexpr int kRecordField = 4;       // points line
constexpr int kPlayMsField = 4;       // rounds line
constexpr int kPlayClockField = 5;    // rounds line
constexpr int kRowPointsField = 4;    // game row
constexpr int kRowRoundsField = 6;    // game row
constexpr int kRowActiveMsField = 7;  // game row

// A number field of a line the reader of subject files has taken (an empty
// one reads 0, as the reader reads it).
std::int32_t Field(const SubjectTextEdit& file, std::size_t line, int n) {
    return ParseDecimal(file.Field(line, n));
}

// The totals are read from files the experimenter may have edited; a sum
// held at the int32 limit stays wrong but can never wrap.
std::int32_t Held(std::int64_t sum) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum > kMax ? kMax : sum < kMin ? kMin : sum);
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

// Total := the file's total + what the game's row adds beyond the row the
// file has for it.
class Totals {
  public:
    Totals(SubjectTextEdit& file, std::string_view oldRow, std::string_view newRow)
        : file_(file), oldRow_(oldRow), newRow_(newRow) {}

    // Returns the new total; writes it only when it changed.
    std::int32_t Add(std::size_t line, int totalField, int rowField) {
        const std::int32_t total = Field(file_, line, totalField);
        const std::int64_t added =
            static_cast<std::int64_t>(ParseDecimal(SubjectField(newRow_, rowField))) -
            (oldRow_.empty() ? 0 : ParseDecimal(SubjectField(oldRow_, rowField)));
        const std::int32_t now = Held(total + added);
        if (now != total) {
            file_.SetField(line, totalField, std::to_string(now));
        }
        return now;
    }

  private:
    SubjectTextEdit& file_;
    std::string_view oldRow_;
    std::string_view newRow_;
};

void AddRound(SubjectTextEdit& file, const FinishedRound& round, int seat) {
    const SubjectLayout& layout = file.Layout();
    const std::string& gameFile = round.game.fileName;
    const std::string row = GameRow(round, seat);
    std::string oldRow;
    bool hasRow = false;
    for (const std::size_t i : layout.gameRows) {
        if (file.Field(i, 1) == gameFile) {
            if (!hasRow) {
                oldRow = file.Line(i);
            }
            hasRow = true;
            file.SetLine(i, row);
        }
    }
    if (!hasRow) {
        file.Append(row);
    }

    Totals totals(file, hasRow ? std::string_view(oldRow) : std::string_view(), row);
    totals.Add(layout.pointsLine, kTotalField, kRowPointsField);
    totals.Add(layout.roundsLine, kTotalField, kRowRoundsField);
    const std::int32_t playMsBefore = Field(file, layout.roundsLine, kPlayMsField);
    const std::int32_t playMs = totals.Add(layout.roundsLine, kPlayMsField, kRowActiveMsField);
    if (playMs != playMsBefore) {
        file.SetField(layout.roundsLine, kPlayClockField, FormatClock(playMs / 1000));
    }
    if (round.game.best > Field(file, layout.pointsLine, kRecordField)) {
        file.SetField(layout.pointsLine, kRecordField, std::to_string(round.game.best));
    }
}

}  // namespace

std::optional<SubjectUpdate> SubjectFileAfterRound(std::string_view fileText, int seat,
                                                   const FinishedRound& round,
                                                   const ServerTexts& texts,
                                                   SubjectRefusal* refusal) {
    std::optional<SubjectTextEdit> file = SubjectTextEdit::Open(fileText, texts, refusal);
    if (!file) {
        return std::nullopt;
    }
    if (IsGameFileName(round.game.fileName)) {
        AddRound(*file, round, seat);
    }
    SubjectUpdate update{file->Text(), {}};
    const SubjectRecord& loaded = round.seats[seat].subject;
    std::optional<SubjectRecord> subject =
        ReadSubjectText(update.text, round.seats[1 - seat].subject.subjectFile, texts);
    if (!subject) {
        return std::nullopt;  // cannot happen: the update keeps every labelled line
    }
    update.subject = std::move(*subject);
    update.subject.subjectNumber = loaded.subjectNumber;
    update.subject.subjectFile = loaded.subjectFile;
    return update;
}

}  // namespace quib::server
