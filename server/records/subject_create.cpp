#include "server/records/subject_create.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/work_folders.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

// The name stays on its line of the file even if pasted with line breaks.
std::string CleanName(std::string_view typedName) {
    std::string name(typedName);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return std::string(TrimSpaces(name));
}

// With every six-digit number taken, the next file would need a seventh
// digit; the message names that file, which is never written.
std::string NoNumberLeftText(const std::filesystem::path& workDir, const ServerTexts& texts) {
    return texts[txt::kCannotWriteFile] + " " +
           SubjectFilePath(workDir, std::to_string(kLargestFileNumber + 1));
}

CreateSubjectResult Failure(std::string errorText) {
    CreateSubjectResult result;
    result.status = CreateSubjectStatus::Failed;
    result.errorText = std::move(errorText);
    return result;
}

}  // namespace

NewSubjectPlan PlanNewSubject(const std::filesystem::path& workDir, const ServerTexts& texts) {
    NewSubjectPlan plan;
    plan.number = NextFreeNumber(WorkFolders::In(workDir).log, 'p');
    if (plan.number < 0) {
        plan.errorText = NoNumberLeftText(workDir, texts);
    } else {
        plan.boxTitle = NewSubjectBoxTitle(texts, plan.number);
    }
    return plan;
}

std::string NewSubjectBoxTitle(const ServerTexts& texts, std::int32_t number) {
    return texts[txt::kNewSubjectTitle] + " (" + SixDigits(number) + ")";
}

CreateSubjectResult CreateSubjectFile(const std::filesystem::path& workDir,
                                      const ServerTexts& texts, std::int32_t number,
                                      std::string_view typedName, const LocalTime& now) {
    const std::string name = CleanName(typedName);
    if (name.empty()) {
        return {};
    }
    if (number < 0 || number > kLargestFileNumber) {
        return Failure(NoNumberLeftText(workDir, texts));
    }
    const std::string path = SubjectFilePath(workDir, SixDigits(number));
    const std::string text = NewSubjectFileText(texts, number, name, now);
    if (WriteFileAtomically(path, text, WriteMode::CreateNew) != WriteResult::Written) {
        return Failure(texts[txt::kCannotWriteFile] + " " + path);
    }
    CreateSubjectResult result;
    result.status = CreateSubjectStatus::Created;
    result.number = number;
    result.entry = SubjectEntry(SixDigits(number), name);
    return result;
}

}  // namespace quib::server
