// The round protocol log/r??????.csv: a header describing the game, the
// players, the settings, the result and both boards, then the round's event
// lines.

#include "server/engine/engine.h"
#include "server/engine/protocol_files.h"
#include "server/engine/protocol_text.h"
#include "server/engine/stimulus.h"

namespace quib::server {
namespace {

// "Ergebniss:", "Verloren", "Züge:" and the board titles are fixed words of
// the layout, not language texts.
constexpr const char* kResultWord = "Ergebniss:";
constexpr const char* kLostWord = "Verloren";
constexpr const char* kMovesWord = "Z\xFCge:";
constexpr const char* kBoardTitles = ";A/C;B/D;;a/c;b/d";

int StartCell(const SeatRecord& seat) {
    return seat.startCellX + 2 * seat.startCellY;
}

std::string BoardRow(const Engine& engine, std::string_view ownTitle, std::string_view partnerTitle,
                     int leftCell) {
    return JoinFields({ownTitle, engine.DescribeStimulus(0, leftCell),
                       engine.DescribeStimulus(0, leftCell + 1), partnerTitle,
                       engine.DescribeStimulus(1, leftCell),
                       engine.DescribeStimulus(1, leftCell + 1)});
}

std::string CellLetters(const Engine& engine, int firstCell, int secondCell) {
    return CellLetter(engine.texts, 0, firstCell) + ";" + CellLetter(engine.texts, 1, secondCell);
}

std::string RoundProtocolText(const Engine& engine) {
    const ServerTexts& texts = engine.texts;
    const GameRecord& game = engine.gameRecord;
    const RoundRecord& round = engine.roundRecord;
    const LocalTime writtenAt = engine.localClock();
    const std::string lines[] = {
        texts[162],
        JoinFields({texts[108], SixDigitField(game.number), texts[109], game.fileName}),
        JoinFields({texts[163], std::to_string(game.rounds)}),
        PlayerLine(engine, 0),
        PlayerLine(engine, 1),
        "",
        JoinFields({texts[110], DateField(writtenAt), TimeField(writtenAt)}),
        JoinFields({texts[164], std::to_string(RoundDurationMs(round))}),
        JoinFields({kResultWord, round.won == 1 ? texts[129] : std::string(kLostWord)}),
        "",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    text += SettingsLines(engine);
    const std::string boardLines[] = {
        "",
        JoinFields({texts[118],
                    CellLetters(engine, StartCell(engine.seats[0]), StartCell(engine.seats[1]))}),
        JoinFields({texts[165],
                    CellLetters(engine, CellIndex(engine.seats[0]), CellIndex(engine.seats[1]))}),
        JoinFields({kMovesWord, std::to_string(round.moves[0]), std::to_string(round.moves[1])}),
        "",
        kBoardTitles,
        BoardRow(engine, "A/B", "a/b", 0),
        BoardRow(engine, "C/D", "c/d", 2),
        "",
        JoinFields({texts[135], texts[124], texts[111], texts[136], texts[137]}),
    };
    for (const std::string& line : boardLines) {
        text += line + "\n";
    }
    for (const std::string& event : round.events) {
        text += event + "\n";
    }
    return text;
}

}  // namespace

bool WriteRoundProtocol(Engine& engine, std::uint32_t /*now*/) {
    const std::string& name = engine.roundRecord.fileName;
    if (CanNameFile(engine.logDir, name) &&
        ReplaceFile(engine.logDir / name, RoundProtocolText(engine))) {
        return true;
    }
    ShowWriteFailure(engine, ShownPath(engine.logDir, name));
    return false;
}

}  // namespace quib::server
