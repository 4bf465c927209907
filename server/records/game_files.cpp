#include "server/records/game_files.h"

#include "server/records/csv_text.h"
#include "server/records/record_text.h"

namespace quib::server {
namespace {

constexpr const char* kBoardColumns = "A;B;C;D;a;b;c;d";

std::string GameColumns(const ServerTexts& texts) {
    return JoinFields({texts[123], texts[124], texts[125], texts[126], texts[127], texts[128],
                       texts[129], texts[130], texts[131], kBoardColumns, texts[132] + " 1",
                       texts[132] + " 2", texts[133] + " 1", texts[133] + " 2", texts[134] + " 1",
                       texts[134] + " 2"});
}

std::string PositionColumns(const ServerTexts& texts) {
    return JoinFields({texts[139], texts[124], texts[140], texts[127], texts[141], texts[142],
                       kBoardColumns, texts[143] + " 1", texts[143] + " 2", texts[144]});
}

std::string Title(GameFileKind kind, const ServerTexts& texts) {
    return kind == GameFileKind::Game ? texts[106] + " " + texts[107] : texts[106];
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
    text +=
        JoinFields({texts[108], HeaderNumberField(game.number), texts[109], game.fileName}) + "\n";
    text +=
        JoinFields({texts[110], DateField(round.recordedAt), TimeField(round.recordedAt)}) + "\n";
    text += PlayerLine(texts, 0, round.seats[0].subject) + "\n";
    text += PlayerLine(texts, 1, round.seats[1].subject) + "\n";
    text += "\n";
    text += SettingsLines(texts, round);
    text += "\n";
    text += JoinFields({texts[118], round.startTexts[0], round.startTexts[1]}) + "\n";
    text += "\n";
    text += JoinFields({texts[119], std::to_string(game.points), texts[154] + ":",
                        std::to_string(game.best)}) +
            "\n";
    text += JoinFields({texts[120], std::to_string(game.rounds)}) + "\n";
    text += JoinFields({texts[121], GameClock(round), texts[122], ActiveClock(game)}) + "\n";
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
