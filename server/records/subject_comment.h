#pragma once

#include <string>
#include <string_view>

#include "server/core/texts.h"

namespace quib::server {

enum class SaveCommentStatus {
    Saved,
    NoSubject,  // the seat has no subject file: nothing to save, nothing to show
    Failed,     // errorText holds the box text; the file is as it was
};

struct SaveCommentResult {
    SaveCommentStatus status = SaveCommentStatus::Failed;
    std::string errorText;
};

// Stores the comment editor's text in a subject file: the file is rebuilt
// with every line trimmed of spaces and ended by a single LF, and field 2 of
// line 4 (from 1) replaced by the encoded comment. The new text replaces the
// file as a whole, so a failed save leaves the old file intact. The game
// writer rewrites the same files from the network thread: call this while
// holding stateLock, or a round's update may be lost between read and write.
SaveCommentResult SaveCommentToFile(std::string_view subjectFile, std::string_view editorText,
                                    const ServerTexts& texts);

}  // namespace quib::server
