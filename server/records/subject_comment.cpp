#include "server/records/subject_comment.h"

#include <optional>
#include <vector>

#include "common/file_io.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr int kCommentLine = 4;  // from 1, as SetCsvField counts
constexpr int kCommentField = 2;

// The file's text with the comment in place, or nothing when the file has no
// comment line to hold it (then saving would silently drop the comment).
std::optional<std::string> RebuildWithComment(std::string_view fileText,
                                              std::string_view editorText) {
    const std::vector<std::string_view> lines = SplitLines(fileText);
    if (lines.size() < kCommentLine) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = TrimSpaces(lines[i]);
        text += line;
        // A comment line without its ";" would get the comment glued onto
        // its title, where no reader looks for it.
        if (i + 1 == kCommentLine && line.find(';') == std::string_view::npos) {
            text += ';';
        }
        text += '\n';
    }
    return SetCsvField(text, kCommentLine, kCommentField, EncodeComment(editorText));
}

SaveCommentResult Failure(std::string errorText) {
    return {SaveCommentStatus::Failed, std::move(errorText)};
}

}  // namespace

SaveCommentResult SaveCommentToFile(std::string_view subjectFile, std::string_view editorText,
                                    const ServerTexts& texts) {
    if (subjectFile.empty()) {
        return {SaveCommentStatus::NoSubject, {}};
    }
    const std::string path(subjectFile);
    const std::optional<std::string> before = ReadWholeFile(path);
    if (!before) {
        return Failure(texts[txt::kCannotReadFile] + ": " + path);
    }
    const std::optional<std::string> after = RebuildWithComment(*before, editorText);
    if (!after || WriteFileAtomically(path, *after, WriteMode::Replace) != WriteResult::Written) {
        return Failure(texts[txt::kCannotWriteFile] + " " + path);
    }
    return {SaveCommentStatus::Saved, {}};
}

}  // namespace quib::server
