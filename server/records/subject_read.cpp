#include "server/records/subject_read.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "common/decimal_text.h"
#include "common/file_io.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr std::size_t kNameLine = 2;
constexpr std::size_t kCommentLine = 3;
constexpr std::size_t kPointsLine = 6;
constexpr std::size_t kRoundsLine = 7;
constexpr std::size_t kFirstGameRow = 9;  // the column titles never name a file

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

void AddPartnerGames(const std::vector<std::string>& lines, std::string_view partnerFile,
                     SubjectRecord& record) {
    if (partnerFile.empty()) {
        return;
    }
    std::int64_t rounds = 0;
    std::int64_t ms = 0;
    for (std::size_t i = kFirstGameRow; i < lines.size(); ++i) {
        if (CsvField(lines[i], 3) == partnerFile) {
            rounds += Field(lines[i], 6);
            ms += Field(lines[i], 7);
        }
    }
    record.roundsWithPartner = Clamped(rounds);
    record.msWithPartner = Clamped(ms);
}

void FillFromLines(const std::vector<std::string>& lines, SubjectRecord& record) {
    const auto line = [&lines](std::size_t i) {
        return i < lines.size() ? std::string_view(lines[i]) : std::string_view();
    };
    record.subjectName = TrimSpaces(CsvField(line(kNameLine), 2));
    record.comment = DecodeComment(TrimSpaces(CsvField(line(kCommentLine), 2)));
    record.totalPoints = Field(line(kPointsLine), 2);
    record.record = Field(line(kPointsLine), 4);
    record.totalRounds = Field(line(kRoundsLine), 2);
    record.totalPlayMs = Field(line(kRoundsLine), 4);
}

std::vector<std::string> TrimmedLines(std::string_view text) {
    std::vector<std::string> lines;
    for (const std::string_view line : SplitLines(text)) {
        lines.emplace_back(TrimSpaces(line));
    }
    return lines;
}

SubjectReadResult Unreadable(const ServerTexts& texts) {
    SubjectReadResult result;
    result.errorText = texts[txt::kCannotReadFile];
    return result;
}

}  // namespace

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
    SubjectReadResult result;
    result.ok = true;
    result.record.subjectFile = path;
    result.record.subjectNumber = ParseDecimal(numberText);
    const std::vector<std::string> lines = TrimmedLines(*bytes);
    FillFromLines(lines, result.record);
    AddPartnerGames(lines, FileNamePart(otherSeatSubjectFile), result.record);
    return result;
}

}  // namespace quib::server
