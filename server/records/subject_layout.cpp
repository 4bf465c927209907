#include "server/records/subject_layout.h"

#include <algorithm>
#include <array>
#include <string>

#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"

namespace quib::server {
namespace {

// The fixed word of the points line, written in every language.
constexpr std::string_view kRecordWord = "Rekord";

struct Labels {
    std::string number;
    std::string name;
    std::string comment;
    std::string points;
    std::string rounds;
    std::string playTime;
    // The lines besides, which are the program's but not needed to read it.
    std::string title;
    std::string created;
    std::string columnTitles;
};

Labels LoadedLabels(const ServerTexts& texts) {
    return {texts[txt::kSubjectNumberField],  texts[txt::kSubjectNameField],
            texts[txt::kSubjectCommentField], texts[txt::kFilePoints],
            texts[txt::kSubjectRoundsField],  texts[txt::kSubjectPlayTimeField],
            texts[txt::kPlayerField],         texts[txt::kSubjectCreatedField],
            texts[txt::kGameFileColumn]};
}

Labels DefaultLabels() {
    const auto text = [](int n) { return std::string(ServerTexts::Default(n)); };
    return {text(txt::kSubjectNumberField),  text(txt::kSubjectNameField),
            text(txt::kSubjectCommentField), text(txt::kFilePoints),
            text(txt::kSubjectRoundsField),  text(txt::kSubjectPlayTimeField),
            text(txt::kPlayerField),         text(txt::kSubjectCreatedField),
            text(txt::kGameFileColumn)};
}

// Lines (from 0) of a freshly created subject file.
constexpr std::size_t kCreatedTitleLine = 0;
constexpr std::size_t kCreatedNumberLine = 1;
constexpr std::size_t kCreatedNameLine = 2;
constexpr std::size_t kCreatedCommentLine = 3;
constexpr std::size_t kCreatedCreatedLine = 4;
constexpr std::size_t kCreatedPointsLine = 6;
constexpr std::size_t kCreatedRoundsLine = 7;
constexpr std::size_t kCreatedColumnTitleLine = 9;

// Field n (from 1) as a spreadsheet reads it: unquoted and trimmed; empty
// past the last field. A line whose quotes are malformed is split at every
// ";" as before, so that its label still finds it and the reader of subject
// files can name it (ReadSubjectContent).
std::string FieldOf(std::string_view line, int n) {
    const std::optional<std::vector<std::string_view>> fields = QuotedFieldSpans(line);
    if (!fields) {
        return std::string(TrimSpaces(CsvField(line, n)));
    }
    return n >= 1 && static_cast<std::size_t>(n) <= fields->size()
               ? UnquotedField((*fields)[static_cast<std::size_t>(n) - 1])
               : std::string();
}

std::string Label(std::string_view line) {
    return FieldOf(line, 1);
}

// The labels a file written under another language file has, read where
// such a file has them when nothing was inserted.
std::optional<Labels> LabelsInPlace(const std::vector<std::string_view>& lines) {
    if (lines.size() <= kCreatedRoundsLine) {
        return std::nullopt;
    }
    const auto at = [&lines](std::size_t i) {
        return i < lines.size() ? Label(lines[i]) : std::string();
    };
    return Labels{
        at(kCreatedNumberLine), at(kCreatedNameLine),    at(kCreatedCommentLine),
        at(kCreatedPointsLine), at(kCreatedRoundsLine),  FieldOf(lines[kCreatedRoundsLine], 3),
        at(kCreatedTitleLine),  at(kCreatedCreatedLine), at(kCreatedColumnTitleLine)};
}

bool Usable(const Labels& labels) {
    std::array<std::string_view, 5> distinct = {labels.number, labels.name, labels.comment,
                                                labels.points, labels.rounds};
    if (std::any_of(distinct.begin(), distinct.end(), [](auto l) { return l.empty(); }) ||
        labels.playTime.empty()) {
        return false;
    }
    std::sort(distinct.begin(), distinct.end());
    return std::adjacent_find(distinct.begin(), distinct.end()) == distinct.end();
}

// The one line matching, or nullopt when none or several do.
template <typename Matches>
std::optional<std::size_t> OnlyLine(const std::vector<std::string_view>& lines, Matches matches) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (matches(lines[i])) {
            if (found) {
                return std::nullopt;
            }
            found = i;
        }
    }
    return found;
}

std::optional<SubjectLayout> LayoutWith(const std::vector<std::string_view>& lines,
                                        const Labels& labels) {
    if (!Usable(labels)) {
        return std::nullopt;
    }
    const auto labelled = [&lines](std::string_view label) {
        return OnlyLine(lines, [label](std::string_view line) { return Label(line) == label; });
    };
    const auto number = labelled(labels.number);
    const auto name = labelled(labels.name);
    const auto comment = labelled(labels.comment);
    const auto points = OnlyLine(lines, [&labels](std::string_view line) {
        return Label(line) == labels.points && FieldOf(line, 3) == kRecordWord;
    });
    const auto rounds = OnlyLine(lines, [&labels](std::string_view line) {
        return Label(line) == labels.rounds && FieldOf(line, 3) == labels.playTime;
    });
    if (!number || !name || !comment || !points || !rounds ||
        !(*number < *name && *name < *comment && *comment < *points && *points < *rounds)) {
        return std::nullopt;
    }
    SubjectLayout layout{*number, *name, *comment, *points, *rounds, {}, {}, {}, {}};
    // Game rows follow the totals; a note above them naming a game is no row.
    for (std::size_t i = *rounds + 1; i < lines.size(); ++i) {
        if (IsGameFileName(Label(lines[i]))) {
            layout.gameRows.push_back(i);
        }
    }
    return layout;
}

// Whether the line's label is the `label` of one of the sets.
bool LabelledBy(std::string_view line, const std::vector<const Labels*>& sets,
                std::string Labels::*label) {
    const std::string found = Label(line);
    return !found.empty() && std::any_of(sets.begin(), sets.end(),
                                         [&](const Labels* set) { return set->*label == found; });
}

// The title, creation and column title lines, with the labels of every set
// that may have written them.
void FindCreatedLines(const std::vector<std::string_view>& lines,
                      const std::vector<const Labels*>& sets, SubjectLayout& layout) {
    for (std::size_t i = layout.numberLine; i-- > 0;) {
        if (LabelledBy(lines[i], sets, &Labels::title)) {
            layout.titleLine = i;
            break;
        }
    }
    for (std::size_t i = layout.commentLine + 1; i < layout.pointsLine; ++i) {
        if (LabelledBy(lines[i], sets, &Labels::created)) {
            layout.createdLine = i;
            break;
        }
    }
    for (std::size_t i = layout.roundsLine + 1; i < lines.size(); ++i) {
        if (LabelledBy(lines[i], sets, &Labels::columnTitles)) {
            layout.columnTitleLine = i;
            break;
        }
    }
}

}  // namespace

bool IsGameFileName(std::string_view name) {
    return IsNumberedFileName(name, 'g');
}

std::optional<SubjectLayout> FindSubjectLayout(const std::vector<std::string_view>& lines,
                                               const ServerTexts& texts) {
    const Labels loaded = LoadedLabels(texts);
    const Labels defaults = DefaultLabels();
    std::vector<const Labels*> sets = {&loaded, &defaults};
    std::optional<SubjectLayout> layout = LayoutWith(lines, loaded);
    if (!layout) {
        layout = LayoutWith(lines, defaults);
    }
    // The file's own labels count only when they made the layout: taken from
    // the created positions of a file with inserted lines, they could name
    // a note.
    const std::optional<Labels> own = layout ? std::nullopt : LabelsInPlace(lines);
    if (own) {
        layout = LayoutWith(lines, *own);
        sets.push_back(&*own);
    }
    if (layout) {
        FindCreatedLines(lines, sets, *layout);
    }
    return layout;
}

std::vector<bool> ProgramLines(const SubjectLayout& layout,
                               const std::vector<std::string_view>& lines) {
    std::vector<bool> own(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        own[i] = TrimSpaces(lines[i]).empty();
    }
    const auto mark = [&own](std::optional<std::size_t> line) {
        if (line && *line < own.size()) {
            own[*line] = true;
        }
    };
    for (const std::size_t line : {layout.numberLine, layout.nameLine, layout.commentLine,
                                   layout.pointsLine, layout.roundsLine}) {
        mark(line);
    }
    for (const std::size_t row : layout.gameRows) {
        mark(row);
    }
    mark(layout.titleLine);
    mark(layout.createdLine);
    mark(layout.columnTitleLine);
    return own;
}

}  // namespace quib::server
