#include "server/records/subject_format.h"

#include "common/work_folders.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"
#include "server/records/record_text.h"

namespace quib::server {
namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t hit = text.find(from); hit != std::string_view::npos;
         hit = text.find(from, start)) {
        result.append(text.substr(start, hit - start));
        result.append(to);
        start = hit + from.size();
    }
    result.append(text.substr(start));
    return result;
}

std::string CreationStamp(const LocalTime& t) {
    return FormatDate(t) + ";" + FormatHms(t);
}

std::string GameRowTitles(const ServerTexts& texts) {
    std::string titles;
    for (const int key :
         {txt::kGameFileColumn, txt::kTimeColumn, txt::kOpponentColumn, txt::kFilePoints,
          txt::kFileHighscore, txt::kSubjectRoundsField, txt::kDurationMsColumn,
          txt::kDurationColumn, txt::kLevelColumn, txt::kDisplayColumn}) {
        titles += (titles.empty() ? "" : ";") + texts[key];
    }
    return titles;
}

}  // namespace

std::string SubjectFilePath(const std::filesystem::path& workDir, std::string_view numberText) {
    const std::string name = "p" + std::string(numberText) + ".csv";
    return (WorkFolders::In(workDir).log / name).generic_string();
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string SubjectEntry(std::string_view numberText, std::string_view name) {
    return std::string(numberText) + " - " + std::string(name);
}

std::string NewSubjectFileText(const ServerTexts& texts, std::int32_t number, std::string_view name,
                               const LocalTime& created) {
    const std::string lines[] = {
        texts[txt::kPlayerField],
        texts[txt::kSubjectNumberField] + ";" + SixDigits(number),
        // A name with ";" or a double quote is quoted, so that every reader
        // reads it whole.
        texts[txt::kSubjectNameField] + ";" + CsvQuoted(name),
        texts[txt::kSubjectCommentField] + ";",
        texts[txt::kSubjectCreatedField] + ";" + CreationStamp(created),
        "",
        texts[txt::kFilePoints] + ";0;Rekord;0",  // "Rekord" is a fixed word, not a language text
        texts[txt::kSubjectRoundsField] + ";0;" + texts[txt::kSubjectPlayTimeField] + ";0;00:00:00",
        "",
        GameRowTitles(texts),
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::string EncodeComment(std::string_view comment) {
    std::string lines = ReplaceAll(comment, "\r\n", "\\n");
    lines = ReplaceAll(ReplaceAll(lines, "\r", "\\n"), "\n", "\\n");
    return ReplaceAll(lines, ";", "\\,");
}

std::string DecodeComment(std::string_view stored) {
    return ReplaceAll(ReplaceAll(stored, "\\n", "\r\n"), "\\,", ";");
}

}  // namespace quib::server
