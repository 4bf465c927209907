#include "server/records/record_text.h"

#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

// The open partner view is "offen"; every other mode was covered when the
// round was played.
std::string_view DisplayWord(std::int32_t displayMode) {
    return displayMode == 1 ? "offen" : "verdeckt";
}

}  // namespace

std::string HeaderNumberField(std::int32_t n) {
    std::string text = std::to_string(n);
    if (text.size() < 6) {
        text.insert(0, 6 - text.size(), '0');
    }
    text.resize(6);
    return text;
}

std::string JoinFields(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            line += ';';
        }
        first = false;
        line += field;
    }
    return line;
}

std::int32_t RecordedMs(std::uint32_t later, std::uint32_t earlier) {
    return static_cast<std::int32_t>(later - earlier);
}

std::int32_t RoundDurationMs(const FinishedRound& round) {
    return RecordedMs(round.endMs, round.startMs);
}

std::string CellLetter(const ServerTexts& texts, int seat, int cell) {
    if (cell < 0 || cell >= kRecordedCells) {
        return texts[txt::kUnknown] + "(" + std::to_string(cell) + ")";
    }
    const char first = seat == 0 ? 'A' : 'a';
    return std::string(1, static_cast<char>(first + cell));
}

std::string PlayerLine(const ServerTexts& texts, int seat, const SubjectRecord& subject) {
    return JoinFields({texts[txt::kPlayerField] + " " + std::to_string(seat + 1) + ":",
                       subject.subjectName, texts[txt::kNumberField],
                       HeaderNumberField(subject.subjectNumber), texts[txt::kFileField],
                       FileNamePart(subject.subjectFile)});
}

std::string SettingsLines(const ServerTexts& texts, const FinishedRound& round) {
    const RecordedSeat& first = round.seats[0];
    const RecordedSeat& second = round.seats[1];
    const std::string lines[] = {
        JoinFields({texts[txt::kSettingsField], texts[txt::kPlayerField] + " 1",
                    texts[txt::kPlayerField] + " 2"}),
        JoinFields(
            {texts[txt::kLevelField], std::to_string(first.level), std::to_string(second.level)}),
        JoinFields({texts[txt::kFigureField], FileNamePart(first.pictureName),
                    FileNamePart(second.pictureName)}),
        JoinFields({texts[txt::kDisplayField], DisplayWord(first.displayMode),
                    DisplayWord(second.displayMode)}),
        JoinFields({texts[txt::kSpeedField], round.speedText, round.speedText}),
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string TrimmedLines(std::string_view text) {
    std::string result;
    for (const std::string_view line : SplitLines(text)) {
        result += TrimSpaces(line);
        result += '\n';
    }
    return result;
}

}  // namespace quib::server
