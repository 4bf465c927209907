#include "server/records/subject_text.h"

#include <algorithm>

#include "server/records/csv_text.h"

namespace quib::server {
namespace {

// What lies between each line SplitLines gave and the next one (or the end
// of the text): the line's own end, as the file has it.
std::vector<std::string> LineEnds(std::string_view text,
                                  const std::vector<std::string_view>& lines) {
    std::vector<std::string> ends;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const char* end = lines[i].data() + lines[i].size();
        const char* next = i + 1 < lines.size() ? lines[i + 1].data() : text.data() + text.size();
        ends.emplace_back(end, next);
    }
    return ends;
}

// The line with field `field` (from 1) replaced by the raw text `raw`. The
// line is one of the program's, which the reader has taken, so its quotes
// are well formed; the other fields keep their bytes.
std::string WithField(std::string_view line, int field, std::string_view raw) {
    std::vector<std::string_view> fields =
        QuotedFieldSpans(line).value_or(std::vector<std::string_view>{line});
    fields.resize(std::max(fields.size(), static_cast<std::size_t>(field)));
    fields[static_cast<std::size_t>(field) - 1] = raw;
    std::string result;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        result += (i == 0 ? "" : ";");
        result += fields[i];
    }
    return result;
}

}  // namespace

std::optional<SubjectTextEdit> SubjectTextEdit::Open(std::string_view bytes,
                                                     const ServerTexts& texts,
                                                     SubjectRefusal* refusal) {
    const auto refuse = [refusal](SubjectRefusal refused) {
        if (refusal != nullptr) {
            *refusal = std::move(refused);
        }
        return std::nullopt;
    };
    std::variant<SubjectBytes, SubjectRefusal> decoded = DecodeSubjectBytes(bytes);
    if (SubjectRefusal* refused = std::get_if<SubjectRefusal>(&decoded)) {
        return refuse(std::move(*refused));
    }
    const std::string& text = std::get<SubjectBytes>(decoded).text;
    const std::vector<std::string_view> lines = SplitLines(text);
    std::variant<SubjectContent, SubjectRefusal> read = ReadSubjectLines(lines, texts);
    if (SubjectRefusal* refused = std::get_if<SubjectRefusal>(&read)) {
        return refuse(std::move(*refused));
    }
    SubjectLayout& layout = std::get<SubjectContent>(read).layout;
    const std::vector<bool> programs = ProgramLines(layout, lines);
    const std::vector<std::string> ends = LineEnds(text, lines);
    std::vector<FileLine> fileLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        fileLines.push_back(programs[i] ? FileLine{std::string(TrimSpaces(lines[i])), "\n", true}
                                        : FileLine{std::string(lines[i]), ends[i], false});
    }
    return SubjectTextEdit(std::move(fileLines), std::move(layout),
                           std::get<SubjectBytes>(decoded).utf8);
}

std::string SubjectTextEdit::Field(std::size_t line, int field) const {
    return SubjectField(lines_[line].text, field);
}

void SubjectTextEdit::SetField(std::size_t line, int field, std::string_view value) {
    if (field >= 1) {
        SetLine(line, WithField(lines_[line].text, field, CsvQuoted(value)));
    }
}

void SubjectTextEdit::SetLine(std::size_t line, std::string text) {
    FileLine& changed = lines_[line];
    changed.text = std::move(text);
    changed.end.assign(1, '\n');
    changed.programs = true;
}

void SubjectTextEdit::Append(std::string text) {
    // A last line without LF ("" or a lone CR) is ended, or the new line
    // would be glued to it.
    if (!lines_.empty() && !lines_.back().end.ends_with('\n')) {
        lines_.back().end += '\n';
    }
    lines_.push_back({std::move(text), "\n", true});
}

std::string SubjectTextEdit::Text() const {
    std::string text;
    for (const FileLine& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return EncodeSubjectText(text, utf8_);
}

}  // namespace quib::server
