#include "server/records/subject_read.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <variant>

#include "common/decimal_text.h"
#include "common/file_io.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

// Only six digits can name a subject file; anything else in the entry must
// not be spliced into a path.
bool IsNumberText(std::string_view text) {
    return text.size() == 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t Clamped(long long value) {
    return static_cast<std::int32_t>(std::clamp<long long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

SubjectReadResult Unreadable(const ServerTexts& texts) {
    SubjectReadResult result;
    result.errorText = texts[txt::kCannotReadFile];
    return result;
}

}  // namespace

std::string RefusedFileText(std::string_view path, const SubjectRefusal& refusal,
                            const ServerTexts& texts) {
    return texts[txt::kFileLayoutUnknown] + " " + std::string(path) + RefusalSuffix(refusal);
}

std::optional<SubjectRecord> ReadSubjectText(std::string_view text,
                                             std::string_view otherSeatSubjectFile,
                                             const ServerTexts& texts, SubjectRefusal* refusal) {
    std::variant<SubjectContent, SubjectRefusal> read = ReadSubjectContent(text, texts);
    if (SubjectRefusal* refused = std::get_if<SubjectRefusal>(&read)) {
        if (refusal != nullptr) {
            *refusal = std::move(*refused);
        }
        return std::nullopt;
    }
    const SubjectContent& content = std::get<SubjectContent>(read);
    SubjectRecord record;
    record.subjectName = content.name;
    record.comment = content.comment;
    record.totalPoints = Clamped(content.points);
    record.record = Clamped(content.record);
    record.totalRounds = Clamped(content.rounds);
    record.totalPlayMs = Clamped(content.playMs);
    const std::string_view partnerFile = FileNamePart(otherSeatSubjectFile);
    if (!partnerFile.empty()) {
        long long rounds = 0;
        long long ms = 0;
        for (const SubjectGameRow& row : content.rows) {
            if (row.partner == partnerFile) {
                rounds += row.rounds;
                ms += row.playMs;
            }
        }
        record.roundsWithPartner = Clamped(rounds);
        record.msWithPartner = Clamped(ms);
    }
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
    SubjectRefusal refusal;
    std::optional<SubjectRecord> record =
        ReadSubjectText(*bytes, otherSeatSubjectFile, texts, &refusal);
    SubjectReadResult result;
    if (!record) {
        result.errorText = RefusedFileText(path, refusal, texts);
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
