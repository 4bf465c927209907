#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/texts.h"
#include "server/records/subject_layout.h"

namespace quib::server {

// A subject file's text as every writer of subject files changes it. The
// program's own lines (ProgramLines) come out trimmed of spaces and ended by
// a single LF, as the program has always written them; every other line is
// the experimenter's and comes out byte for byte as it was, its own line end
// (CR LF, LF or none at the end of the file) included. Only when a line is
// appended after a last line without line end does that line get an LF, so
// that the two stay apart.
class SubjectTextEdit {
  public:
    // Nothing when the text has no recognisable layout (FindSubjectLayout):
    // such a file must be left as it is.
    static std::optional<SubjectTextEdit> Open(std::string_view text, const ServerTexts& texts);

    const SubjectLayout& Layout() const { return layout_; }

    // Line i (from 0) without its line end; a line of the program's trimmed
    // and with the changes made so far.
    std::string_view Line(std::size_t i) const { return lines_[i].text; }

    // Replaces field `field` (from 1) of the program's line `line`; a line
    // with fewer fields gets empty ones up to it, so that the value never
    // ends up glued to the field before it.
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

    SubjectTextEdit(std::vector<FileLine> lines, SubjectLayout layout)
        : lines_(std::move(lines)), layout_(std::move(layout)) {}

    std::vector<FileLine> lines_;
    SubjectLayout layout_;
};

}  // namespace quib::server
