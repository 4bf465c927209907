#include "server/records/subject_comment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "common/file_io.h"
#include "server/records/subject_format.h"
#include "server/records/subject_read.h"
#include "server/records/subject_text.h"

namespace quib::server {
namespace {

constexpr int kCommentField = 2;

bool IsSymbolicLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

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
    // A subject file is a record file: a link in its place is refused, as
    // when a round is written, rather than followed to wherever it points.
    if (IsSymbolicLink(path)) {
        return Failure(texts[txt::kCannotWriteFile] + " " + path,
                       texts[txt::kNotARegularFile] + " " + path);
    }
    const std::optional<std::string> before = ReadWholeFile(path, LinkRule::Refuse);
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
    const std::optional<PreparedFile> prepared =
        PrepareReplacement(path, file->Text(), LinkRule::Refuse);
    if (!prepared || !CommitReplacement(*prepared)) {
        if (prepared) {
            ::unlink(prepared->temp.c_str());
        }
        return Failure(texts[txt::kCannotWriteFile] + " " + path);
    }
    return {SaveCommentStatus::Saved, {}, {}};
}

}  // namespace quib::server
