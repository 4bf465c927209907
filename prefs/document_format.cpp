// The line syntax of preferences files: Preferences::Parse and
// Preferences::Serialize.

#include <optional>

#include "common/codepage.h"
#include "prefs/preferences.h"
#include "prefs/text_rules.h"

namespace quib {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

std::optional<PrefsEntry> ParseLine(std::string_view line) {
    const std::string_view text = prefs_text::SkipBlanks(line);
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.front() == ';') {
        std::string_view comment = text.substr(1);
        if (!comment.empty() && comment.front() == ' ') {
            comment.remove_prefix(1);
        }
        return PrefsEntry{PrefsEntryKind::Comment, std::string(comment), {}};
    }
    if (text.front() == '[') {
        const std::string_view inside = text.substr(1);
        return PrefsEntry{
            PrefsEntryKind::Group, std::string(inside.substr(0, inside.find(']'))), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        // Neither program writes such a line; keeping it unchanged means a
        // line someone typed into the file is never lost on a rewrite.
        return PrefsEntry{PrefsEntryKind::Other, std::string(line), {}};
    }
    return PrefsEntry{PrefsEntryKind::Key,
                      std::string(prefs_text::TrimTrailingBlanks(text.substr(0, equals))),
                      std::string(prefs_text::SkipBlanks(text.substr(equals + 1)))};
}

// Lines end at CR, at LF or at CR LF. Splitting at every CR and every LF
// reads CR LF as a line end followed by an empty line, which is dropped
// like any other.
template <typename LineHandler>
void ForEachLine(std::string_view text, LineHandler&& handle) {
    while (true) {
        const std::size_t end = text.find_first_of("\r\n");
        handle(text.substr(0, end));
        if (end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

void AppendLine(const PrefsEntry& entry, std::string& out) {
    switch (entry.kind) {
        case PrefsEntryKind::Group:
            out.append("[").append(entry.name).append("]");
            break;
        case PrefsEntryKind::Comment:
            out.append("; ").append(entry.name);
            break;
        case PrefsEntryKind::Key:
            out.append(entry.name).append(" = ").append(entry.value);
            break;
        case PrefsEntryKind::Other:
            out.append(entry.name);
            break;
    }
    out.append(kLineEnd);
}

}  // namespace

Preferences::Document Preferences::Parse(std::string_view bytes) {
    Document document;
    std::string converted;
    if (bytes.starts_with(kByteOrderMark)) {
        document.byteOrderMark = true;
        converted = Utf8ToCp1252(bytes.substr(kByteOrderMark.size()));
        bytes = converted;
    }
    ForEachLine(bytes, [&](std::string_view line) {
        if (std::optional<PrefsEntry> entry = ParseLine(line)) {
            document.entries.push_back(std::move(*entry));
        }
    });
    return document;
}

std::string Preferences::Serialize(const Document& document) {
    std::string lines;
    for (const PrefsEntry& entry : document.entries) {
        AppendLine(entry, lines);
    }
    if (document.byteOrderMark) {
        return std::string(kByteOrderMark).append(kLineEnd).append(Cp1252ToUtf8(lines));
    }
    // A file without the mark whose first key happens to begin with its three
    // bytes would be taken for UTF-8 when read back, and every letter above
    // 127 in it would be lost; an empty first line, which reading drops,
    // keeps it a single-byte file.
    if (lines.starts_with(kByteOrderMark)) {
        lines.insert(0, kLineEnd);
    }
    return lines;
}

}  // namespace quib
