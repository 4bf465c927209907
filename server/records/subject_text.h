#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/texts.h"
#include "server/records/subject_content.h"
#include "server/records/subject_layout.h"

namespace quib::server {

// A subject file's text as every writer of subject files changes it. The
// program's own lines (ProgramLines) come out trimmed of spaces and ended by
// a single LF, as the program has always written them; every other line is
// the experimenter's and comes out byte for byte as it was, its own line end
// (CR LF, LF or none at the end of the file) included. Only when a line is
// appended after a last line without line end does that line get an LF, so
// that the two stay apart. A file saved in UTF-8 with a byte order mark is
// edited in Windows-1252 and written back in UTF-8 with its mark, so that the
// file keeps the encoding it was given (subject_content.h).
class SubjectTextEdit {
  public:
    // Nothing when the file is refused by the reader of subject files
    // (ReadSubjectContent), whose refusal `refusal` then receives: such a
    // file must be left as it is.
    static std::optional<SubjectTextEdit> Open(std::string_view bytes, const ServerTexts& texts,
                                               SubjectRefusal* refusal = nullptr);

    const SubjectLayout& Layout() const { return layout_; }

    // Line i (from 0) without its line end; a line of the program's trimmed
    // and with the changes made so far.
    std::string_view Line(std::size_t i) const { return lines_[i].text; }

    // Field `field` (from 1) of line `line` as read: unquoted and trimmed.
    std::string Field(std::size_t line, int field) const;

    // Replaces field `field` (from 1) of the program's line `line` by the
    // value, quoted where it needs it (CsvQuoted); the line's other fields
    // keep their bytes. A line with fewer fields gets empty ones up to it,
    // so that the value never ends up glued to the field before it.
    void SetField(std::size_t line, int field, std::string_view value);
    // Replaces the whole of the program's line `line`.
    void SetLine(std::size_t line, std::string text);
    // Adds a line of the program's at the end.
    void Append(std::string text);

    std::string Text() const;

  private:
    struct FileLine {
        std::string text;  // without line end; trimmed when the program's
        std::string end;   // the line end the file has: "\r\n", "\n", "\r" or ""
        bool programs = false;
    };

    SubjectTextEdit(std::vector<FileLine> lines, SubjectLayout layout, bool utf8)
        : lines_(std::move(lines)), layout_(std::move(layout)), utf8_(utf8) {}

    std::vector<FileLine> lines_;
    SubjectLayout layout_;
    bool utf8_ = false;  // the file came in UTF-8 with a byte order mark
};

}  // namespace quib::server
