#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "server/core/texts.h"
#include "server/core/time_format.h"

namespace quib::server {

// A subject's file: log/p<six digits>.csv below the working directory, kept
// for as long as the experiment runs. Lines (from 0) when created: 0 title;
// 1 number; 2 name; 3 comment; 4 creation date and time; 5 empty; 6 points
// and record; 7 rounds and play time; 8 empty; 9 column titles of the game
// rows; from 10 on one row per game, written after each round by the record
// writer. Experimenters add notes and lines, so readers and writers find
// these lines by their labels (subject_layout.h, subject_text.h).

// Full path of the subject file for a six-digit number text, with "/"
// separators, as kept in SubjectRecord::subjectFile and shown in messages.
std::string SubjectFilePath(const std::filesystem::path& workDir, std::string_view numberText);

// The part of a path after its last "/" or "\", as game rows name the
// partner's subject file.
std::string_view FileNamePart(std::string_view path);

// A selector entry: "000042 - Name".
std::string SubjectEntry(std::string_view numberText, std::string_view name);

// The ten lines of a new subject file, each ended by CR LF.
std::string NewSubjectFileText(const ServerTexts& texts, std::int32_t number, std::string_view name,
                               const LocalTime& created);

// The comment is kept on one line as field 2 of line 3: line breaks become
// the two characters "\n", then each ";" becomes "\,". A lone CR or LF (an
// editor that ends lines with LF alone) is taken as a line break too, since
// a raw one would split the file's lines and shift every total below it.
std::string EncodeComment(std::string_view comment);

// Back to the comment: "\n" becomes CR LF first, then "\," becomes ";".
std::string DecodeComment(std::string_view stored);

}  // namespace quib::server
