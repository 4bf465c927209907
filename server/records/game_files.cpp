#include "server/records/game_files.h"

#include "server/records/csv_text.h"
#include "server/records/record_text.h"

namespace quib::server {
namespace {

constexpr const char* kBoardColumns = "A;B;C;D;a;b;c;d";

std::string GameColumns(const ServerTexts& texts) {
    return JoinFields(
        {texts[txt::kTimeMsColumn], texts[txt::kTimeColumn], texts[txt::kDurationMsColumn],
         texts[txt::kDurationColumn], texts[txt::kRoundColumn], texts[txt::kRoundNameColumn],
         texts[txt::kFileWon], texts[txt::kFilePoints], texts[txt::kSeriesColumn], kBoardColumns,
         texts[txt::kStartPlayerColumn] + " 1", texts[txt::kStartPlayerColumn] + " 2",
         texts[txt::kEndPlayerColumn] + " 1", texts[txt::kEndPlayerColumn] + " 2",
         texts[txt::kMovesPlayerColumn] + " 1", texts[txt::kMovesPlayerColumn] + " 2"});
}

std::string PositionColumns(const ServerTexts& texts) {
    return JoinFields(
        {texts[txt::kMoveColumn], texts[txt::kTimeColumn], texts[txt::kRoundTimeColumn],
         texts[txt::kRoundColumn], texts[txt::kPreviousRoundWonColumn],
         texts[txt::kPointsInARowColumn], kBoardColumns, texts[txt::kPositionPlayerColumn] + " 1",
         texts[txt::kPositionPlayerColumn] + " 2", texts[txt::kPossibleTargetsColumn]});
}

std::string Title(GameFileKind kind, const ServerTexts& texts) {
    return kind == GameFileKind::Game ? texts[txt::kGameProtocol] + " " + texts[txt::kReferring]
                                      : texts[txt::kGameProtocol];
}

std::string Columns(GameFileKind kind, const ServerTexts& texts) {
    return kind == GameFileKind::Game ? GameColumns(texts) : PositionColumns(texts);
}

// The game's time since its start at the round end.
std::string GameClock(const FinishedRound& round) {
    return FormatClock(RecordedMs(round.recordedAtMs, round.game.startMs) / 1000);
}

std::string ActiveClock(const RecordedGame& game) {
    return FormatClock(game.activeMs / 1000);
}

// Lines 1 to 19 of a new file.
std::string GameHeader(GameFileKind kind, const FinishedRound& round, const ServerTexts& texts) {
    const RecordedGame& game = round.game;
    std::string text = Title(kind, texts) + "\n";
    text += JoinFields({texts[txt::kGameField], HeaderNumberField(game.number),
                        texts[txt::kFileField], game.fileName}) +
            "\n";
    text += JoinFields({texts[txt::kStartTimeField], FormatDate(round.recordedAt),
                        FormatHms(round.recordedAt)}) +
            "\n";
    text += PlayerLine(texts, 0, round.seats[0].subject) + "\n";
    text += PlayerLine(texts, 1, round.seats[1].subject) + "\n";
    text += "\n";
    text += SettingsLines(texts, round);
    text += "\n";
    text +=
        JoinFields({texts[txt::kStartPositionField], round.startTexts[0], round.startTexts[1]}) +
        "\n";
    text += "\n";
    text += JoinFields({texts[txt::kPointsField], std::to_string(game.points),
                        texts[txt::kFileHighscore] + ":", std::to_string(game.best)}) +
            "\n";
    text += JoinFields({texts[txt::kRoundsField], std::to_string(game.rounds)}) + "\n";
    text += JoinFields({texts[txt::kPlayTimeField], GameClock(round), texts[txt::kActiveTimeField],
                        ActiveClock(game)}) +
            "\n";
    text += "\n";
    text += Columns(kind, texts) + "\n";
    return text;
}

// The totals of an existing file: lines 15 to 17.
std::string UpdateTotals(const FinishedRound& round, std::string text) {
    const RecordedGame& game = round.game;
    text = SetCsvField(text, 15, 2, std::to_string(game.points));
    text = SetCsvField(text, 15, 4, std::to_string(game.best));
    text = SetCsvField(text, 16, 2, std::to_string(game.rounds));
    text = SetCsvField(text, 17, 2, GameClock(round));
    return SetCsvField(text, 17, 4, ActiveClock(game));
}

}  // namespace

std::string GameFileText(GameFileKind kind, const std::optional<std::string>& existing,
                         const FinishedRound& round, const ServerTexts& texts) {
    std::string text = existing ? UpdateTotals(round, *existing) : GameHeader(kind, round, texts);
    text += kind == GameFileKind::Game ? GameFileRow(round, texts) : round.positionLines;
    return text;
}

std::string GameFileRow(const FinishedRound& round, const ServerTexts& texts) {
    const RecordedGame& game = round.game;
    const std::int32_t sinceGameStart = RecordedMs(round.startMs, game.startMs);
    const std::int32_t durationMs = RoundDurationMs(round);
    const RecordedSeat& first = round.seats[0];
    const RecordedSeat& second = round.seats[1];
    std::string line =
        JoinFields({std::to_string(sinceGameStart), FormatClock(sinceGameStart / 1000),
                    std::to_string(durationMs), FormatClock(durationMs / 1000),
                    std::to_string(game.rounds), round.fileName, std::to_string(round.won),
                    std::to_string(game.points), std::to_string(game.streak)});
    for (const RecordedSeat& seat : round.seats) {
        for (const std::string& stimulus : seat.stimuli) {
            line += ";" + stimulus;
        }
    }
    line +=
        ";" +
        JoinFields({CellLetter(texts, 0, first.startCell), CellLetter(texts, 1, second.startCell),
                    CellLetter(texts, 0, first.endCell), CellLetter(texts, 1, second.endCell),
                    std::to_string(first.moves), std::to_string(second.moves)});
    return line + "\n";
}

}  // namespace quib::server
