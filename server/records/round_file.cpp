#include "server/records/round_file.h"

#include "server/records/record_text.h"

namespace quib::server {
namespace {

// "Ergebniss:", "Verloren", "Züge:" and the board titles are fixed words of
// the layout, not language texts.
constexpr const char* kResultWord = "Ergebniss:";
constexpr const char* kLostWord = "Verloren";
constexpr const char* kMovesWord = "Z\xFCge:";
constexpr const char* kBoardTitles = ";A/C;B/D;;a/c;b/d";

std::string BoardRow(const FinishedRound& round, std::string_view ownTitle,
                     std::string_view partnerTitle, int leftCell) {
    const auto& own = round.seats[0].stimuli;
    const auto& partner = round.seats[1].stimuli;
    return JoinFields({ownTitle, own[leftCell], own[leftCell + 1], partnerTitle, partner[leftCell],
                       partner[leftCell + 1]});
}

std::string CellLetters(const ServerTexts& texts, int firstCell, int secondCell) {
    return CellLetter(texts, 0, firstCell) + ";" + CellLetter(texts, 1, secondCell);
}

}  // namespace

std::string RoundFileText(const FinishedRound& round, const ServerTexts& texts) {
    const RecordedGame& game = round.game;
    const RecordedSeat& first = round.seats[0];
    const RecordedSeat& second = round.seats[1];
    const std::string lines[] = {
        texts[txt::kRoundProtocol],
        JoinFields({texts[txt::kGameField], HeaderNumberField(game.number), texts[txt::kFileField],
                    game.fileName}),
        JoinFields({texts[txt::kRoundField], std::to_string(game.rounds)}),
        PlayerLine(texts, 0, first.subject),
        PlayerLine(texts, 1, second.subject),
        "",
        JoinFields({texts[txt::kStartTimeField], FormatDate(round.recordedAt),
                    FormatHms(round.recordedAt)}),
        JoinFields({texts[txt::kRoundDurationField], std::to_string(RoundDurationMs(round))}),
        JoinFields({kResultWord, round.won == 1 ? texts[txt::kFileWon] : std::string(kLostWord)}),
        "",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    text += SettingsLines(texts, round);
    const std::string boardLines[] = {
        "",
        JoinFields({texts[txt::kStartPositionField],
                    CellLetters(texts, first.startCell, second.startCell)}),
        JoinFields(
            {texts[txt::kEndPositionField], CellLetters(texts, first.endCell, second.endCell)}),
        JoinFields({kMovesWord, std::to_string(first.moves), std::to_string(second.moves)}),
        "",
        kBoardTitles,
        BoardRow(round, "A/B", "a/b", 0),
        BoardRow(round, "C/D", "c/d", 2),
        "",
        JoinFields({texts[txt::kRoundTimeMsColumn], texts[txt::kTimeColumn],
                    texts[txt::kPlayerField], texts[txt::kKindColumn],
                    texts[txt::kInformationColumn]}),
    };
    for (const std::string& line : boardLines) {
        text += line + "\n";
    }
    for (const std::string& event : round.events) {
        text += event + "\n";
    }
    return text;
}

}  // namespace quib::server
