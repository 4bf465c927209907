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
    // A line for the log view, or empty: a file whose layout is not
    // recognised is named there as well as in the box.
    std::string logText;
};

// Stores the comment editor's text in a subject file: field 2 of its comment
// line (found by its label, see FindSubjectLayout) becomes the encoded
// comment; the program's lines are written trimmed of spaces and ended by a
// single LF, any other line (a note) is kept byte for byte. A file whose
// layout is not recognised is left unchanged and the save fails with txt171
// and the path. The new text replaces the file as a whole, so a failed save
// leaves the old file intact. The game writer rewrites the same files from
// the network thread: call this while holding stateLock, or a round's update
// may be lost between read and write.
SaveCommentResult SaveCommentToFile(std::string_view subjectFile, std::string_view editorText,
                                    const ServerTexts& texts);

}  // namespace quib::server
