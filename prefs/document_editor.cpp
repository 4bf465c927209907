#include "prefs/document_editor.h"

#include <algorithm>
#include <limits>

#include "common/decimal_text.h"
#include "prefs/text_rules.h"

namespace quib {
namespace {

using prefs_text::SameName;

// A value is stored as a reread of the file would give it back: a line break
// would end the line and turn the rest into a line of its own, and leading
// blanks are dropped by every reader.
std::string StoredValue(std::string_view value) {
    std::string stored(value);
    std::replace_if(
        stored.begin(), stored.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return std::string(prefs_text::SkipBlanks(stored));
}

}  // namespace

void DocumentEditor::SelectGroup(std::string_view group) {
    groupHeader_.reset();
    pendingGroup_.clear();
    if (group.empty()) {
        return;
    }
    const auto& entries = document_.entries;
    const auto header = std::find_if(entries.begin(), entries.end(), [&](const PrefsEntry& entry) {
        return entry.kind == PrefsEntryKind::Group && SameName(entry.name, group);
    });
    if (header == entries.end()) {
        pendingGroup_ = group;
    } else {
        groupHeader_ = static_cast<std::size_t>(header - entries.begin());
    }
}

std::string DocumentEditor::ReadText(std::string_view key, std::string_view fallback) const {
    const std::optional<Span> group = CurrentGroup();
    const std::optional<std::size_t> entry = group ? FindKey(*group, key) : std::nullopt;
    if (!entry) {
        return std::string(fallback);
    }
    return std::string(prefs_text::TrimBlanks(document_.entries[*entry].value));
}

std::int32_t DocumentEditor::ReadInt(std::string_view key, std::int32_t fallback) const {
    const std::optional<Span> group = CurrentGroup();
    const std::optional<std::size_t> entry = group ? FindKey(*group, key) : std::nullopt;
    return entry ? ParseDecimal(document_.entries[*entry].value) : fallback;
}

void DocumentEditor::WriteText(std::string_view key, std::string_view value) {
    const Span group = MakeGroupCurrent();
    auto& entries = document_.entries;
    if (const std::optional<std::size_t> found = FindKey(group, key)) {
        entries[*found].name = key;
        entries[*found].value = StoredValue(value);
        return;
    }
    const auto at = entries.begin() + static_cast<std::ptrdiff_t>(group.end);
    entries.insert(at, PrefsEntry{PrefsEntryKind::Key, std::string(key), StoredValue(value)});
}

void DocumentEditor::WriteInt(std::string_view key, std::int32_t value) {
    WriteText(key, std::to_string(value));
}

std::optional<DocumentEditor::Span> DocumentEditor::CurrentGroup() const {
    if (!pendingGroup_.empty()) {
        return std::nullopt;
    }
    const auto& entries = document_.entries;
    const std::size_t begin = groupHeader_ ? *groupHeader_ + 1 : 0;
    std::size_t end = begin;
    while (end < entries.size() && entries[end].kind != PrefsEntryKind::Group) {
        ++end;
    }
    return Span{begin, end};
}

std::optional<std::size_t> DocumentEditor::FindKey(Span group, std::string_view key) const {
    for (std::size_t i = group.begin; i < group.end; ++i) {
        const PrefsEntry& entry = document_.entries[i];
        if (entry.kind == PrefsEntryKind::Key && SameName(entry.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// A group that was selected but is not in the file yet gets its header at the
// end of the file when the first key is written into it.
DocumentEditor::Span DocumentEditor::MakeGroupCurrent() {
    if (!pendingGroup_.empty()) {
        document_.entries.push_back(PrefsEntry{PrefsEntryKind::Group, pendingGroup_, {}});
        groupHeader_ = document_.entries.size() - 1;
        pendingGroup_.clear();
    }
    return *CurrentGroup();
}

}  // namespace quib
