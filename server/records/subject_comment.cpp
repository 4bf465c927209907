#include "server/records/subject_comment.h"

#include <optional>

#include "common/file_io.h"
#include "server/records/subject_format.h"
#include "server/records/subject_read.h"
#include "server/records/subject_text.h"

namespace quib::server {
namespace {

constexpr int kCommentField = 2;

SaveCommentResult Failure(std::string errorText, std::string logText = {}) {
    return {SaveCommentStatus::Failed, std::move(errorText), std::move(logText)};
}

}  // namespace

SaveCommentResult SaveCommentToFile(std::string_view subjectFile, std::string_view editorText,
                                    const ServerTexts& texts) {
    if (subjectFile.empty()) {
        return {SaveCommentStatus::NoSubject, {}, {}};
    }
    const std::string path(subjectFile);
    const std::optional<std::string> before = ReadWholeFile(path);
    if (!before) {
        return Failure(texts[txt::kCannotReadFile] + ": " + path);
    }
    SubjectRefusal refusal;
    std::optional<SubjectTextEdit> file = SubjectTextEdit::Open(*before, texts, &refusal);
    if (!file) {
        // Without its comment line found, a save could only write the
        // comment where a note or a total stands.
        const std::string report = RefusedFileText(path, refusal, texts);
        return Failure(report, report);
    }
    file->SetField(file->Layout().commentLine, kCommentField, EncodeComment(editorText));
    if (WriteFileAtomically(path, file->Text(), WriteMode::Replace) != WriteResult::Written) {
        return Failure(texts[txt::kCannotWriteFile] + " " + path);
    }
    return {SaveCommentStatus::Saved, {}, {}};
}

}  // namespace quib::server
