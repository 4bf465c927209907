#include "server/records/subject_read.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/decimal_text.h"
#include "common/file_io.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"
#include "server/records/subject_text.h"

namespace quib::server {
namespace {

// Only six digits can name a subject file; anything else in the entry must
// not be spliced into a path.
bool IsNumberText(std::string_view text) {
    return text.size() == 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t Field(std::string_view line, int n) {
    return ParseDecimal(CsvField(line, n));
}

std::int32_t Clamped(std::int64_t sum) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void AddPartnerGames(const SubjectTextEdit& file, std::string_view partnerFile,
                     SubjectRecord& record) {
    if (partnerFile.empty()) {
        return;
    }
    std::int64_t rounds = 0;
    std::int64_t ms = 0;
    for (const std::size_t row : file.Layout().gameRows) {
        if (CsvField(file.Line(row), 3) == partnerFile) {
            rounds += Field(file.Line(row), 6);
            ms += Field(file.Line(row), 7);
        }
    }
    record.roundsWithPartner = Clamped(rounds);
    record.msWithPartner = Clamped(ms);
}

SubjectReadResult Unreadable(const ServerTexts& texts) {
    SubjectReadResult result;
    result.errorText = texts[txt::kCannotReadFile];
    return result;
}

}  // namespace

std::optional<SubjectRecord> ReadSubjectText(std::string_view text,
                                             std::string_view otherSeatSubjectFile,
                                             const ServerTexts& texts) {
    const std::optional<SubjectTextEdit> file = SubjectTextEdit::Open(text, texts);
    if (!file) {
        return std::nullopt;
    }
    const SubjectLayout& layout = file->Layout();
    SubjectRecord record;
    record.subjectName = TrimSpaces(CsvField(file->Line(layout.nameLine), 2));
    record.comment = DecodeComment(TrimSpaces(CsvField(file->Line(layout.commentLine), 2)));
    record.totalPoints = Field(file->Line(layout.pointsLine), 2);
    record.record = Field(file->Line(layout.pointsLine), 4);
    record.totalRounds = Field(file->Line(layout.roundsLine), 2);
    record.totalPlayMs = Field(file->Line(layout.roundsLine), 4);
    AddPartnerGames(*file, FileNamePart(otherSeatSubjectFile), record);
    return record;
}

SubjectReadResult ReadSubjectFile(const std::filesystem::path& workDir, std::string_view entryText,
                                  std::string_view otherSeatSubjectFile, const ServerTexts& texts) {
    const std::string_view numberText = entryText.substr(0, 6);
    if (!IsNumberText(numberText)) {
        return Unreadable(texts);
    }
    const std::string path = SubjectFilePath(workDir, numberText);
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
        return Unreadable(texts);
    }
    std::optional<SubjectRecord> record = ReadSubjectText(*bytes, otherSeatSubjectFile, texts);
    SubjectReadResult result;
    if (!record) {
        result.errorText = texts[txt::kFileLayoutUnknown] + " " + path;
        result.logText = result.errorText;
        return result;
    }
    result.ok = true;
    result.record = std::move(*record);
    result.record.subjectFile = path;
    result.record.subjectNumber = ParseDecimal(numberText);
    return result;
}

}  // namespace quib::server
