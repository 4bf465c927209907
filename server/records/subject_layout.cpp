#include "server/records/subject_layout.h"

#include <algorithm>
#include <array>
#include <string>

#include "server/records/csv_text.h"

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
};

Labels LoadedLabels(const ServerTexts& texts) {
    return {texts[txt::kSubjectNumberField],  texts[txt::kSubjectNameField],
            texts[txt::kSubjectCommentField], texts[txt::kFilePoints],
            texts[txt::kSubjectRoundsField],  texts[txt::kSubjectPlayTimeField]};
}

Labels DefaultLabels() {
    const auto text = [](int n) { return std::string(ServerTexts::Default(n)); };
    return {text(txt::kSubjectNumberField),  text(txt::kSubjectNameField),
            text(txt::kSubjectCommentField), text(txt::kFilePoints),
            text(txt::kSubjectRoundsField),  text(txt::kSubjectPlayTimeField)};
}

// Lines (from 0) of a freshly created subject file.
constexpr std::size_t kCreatedNumberLine = 1;
constexpr std::size_t kCreatedNameLine = 2;
constexpr std::size_t kCreatedCommentLine = 3;
constexpr std::size_t kCreatedPointsLine = 6;
constexpr std::size_t kCreatedRoundsLine = 7;

std::string_view Label(std::string_view line) {
    return TrimSpaces(CsvField(line, 1));
}

// The labels a file written under another language file has, read where
// such a file has them when nothing was inserted.
std::optional<Labels> LabelsInPlace(const std::vector<std::string_view>& lines) {
    if (lines.size() <= kCreatedRoundsLine) {
        return std::nullopt;
    }
    const auto at = [&lines](std::size_t i) { return std::string(Label(lines[i])); };
    return Labels{
        at(kCreatedNumberLine),  at(kCreatedNameLine),
        at(kCreatedCommentLine), at(kCreatedPointsLine),
        at(kCreatedRoundsLine),  std::string(TrimSpaces(CsvField(lines[kCreatedRoundsLine], 3)))};
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
        return Label(line) == labels.points && TrimSpaces(CsvField(line, 3)) == kRecordWord;
    });
    const auto rounds = OnlyLine(lines, [&labels](std::string_view line) {
        return Label(line) == labels.rounds && TrimSpaces(CsvField(line, 3)) == labels.playTime;
    });
    if (!number || !name || !comment || !points || !rounds ||
        !(*number < *name && *name < *comment && *comment < *points && *points < *rounds)) {
        return std::nullopt;
    }
    SubjectLayout layout{*number, *name, *comment, *points, *rounds, {}};
    // Game rows follow the totals; a note above them naming a game is no row.
    for (std::size_t i = *rounds + 1; i < lines.size(); ++i) {
        if (IsGameFileName(Label(lines[i]))) {
            layout.gameRows.push_back(i);
        }
    }
    return layout;
}

}  // namespace

bool IsGameFileName(std::string_view name) {
    return name.size() == 11 && name[0] == 'g' && name.ends_with(".csv") &&
           std::all_of(name.begin() + 1, name.begin() + 7,
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<SubjectLayout> FindSubjectLayout(const std::vector<std::string_view>& lines,
                                               const ServerTexts& texts) {
    if (auto layout = LayoutWith(lines, LoadedLabels(texts))) {
        return layout;
    }
    if (auto layout = LayoutWith(lines, DefaultLabels())) {
        return layout;
    }
    if (const std::optional<Labels> own = LabelsInPlace(lines)) {
        return LayoutWith(lines, *own);
    }
    return std::nullopt;
}

}  // namespace quib::server
