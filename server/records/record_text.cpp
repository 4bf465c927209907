#include "server/records/record_text.h"

#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr int kUnknownCell = 92;
constexpr int kPlayerWord = 111;
constexpr int kNumberWord = 112;
constexpr int kFileWord = 109;

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

std::string DateField(const LocalTime& time) {
    return LastTwoDigits(time.day) + "." + LastTwoDigits(time.month) + "." +
           LastTwoDigits(time.year);
}

std::string TimeField(const LocalTime& time) {
    return LastTwoDigits(time.hour) + ":" + LastTwoDigits(time.minute) + ":" +
           LastTwoDigits(time.second);
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
        return texts[kUnknownCell] + "(" + std::to_string(cell) + ")";
    }
    const char first = seat == 0 ? 'A' : 'a';
    return std::string(1, static_cast<char>(first + cell));
}

std::string PlayerLine(const ServerTexts& texts, int seat, const SubjectRecord& subject) {
    return JoinFields({texts[kPlayerWord] + " " + std::to_string(seat + 1) + ":",
                       subject.subjectName, texts[kNumberWord],
                       HeaderNumberField(subject.subjectNumber), texts[kFileWord],
                       FileNamePart(subject.subjectFile)});
}

std::string SettingsLines(const ServerTexts& texts, const FinishedRound& round) {
    const RecordedSeat& first = round.seats[0];
    const RecordedSeat& second = round.seats[1];
    const std::string lines[] = {
        JoinFields({texts[113], texts[kPlayerWord] + " 1", texts[kPlayerWord] + " 2"}),
        JoinFields({texts[114], std::to_string(first.level), std::to_string(second.level)}),
        JoinFields({texts[115], FileNamePart(first.pictureName), FileNamePart(second.pictureName)}),
        JoinFields({texts[116], DisplayWord(first.displayMode), DisplayWord(second.displayMode)}),
        JoinFields({texts[117], round.speedText, round.speedText}),
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
