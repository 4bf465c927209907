#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "prefs/preferences.h"

namespace quib::testing {

// Whether `bytes` is a language file laid out exactly as the programs write
// their own: no byte order mark, group "Allgemein" with Language =
// `language`, then group "Text" with txt0 .. txt(count-1) in ascending
// order, each with a non-empty text, "key = value" lines ended by CR LF and
// nothing else. A file the preferences layer would rewrite differently, or
// that lacks a key, fails with the first difference.
inline ::testing::AssertionResult IsLanguageFileAsWritten(const std::string& bytes,
                                                          std::string_view language, int count) {
    const Preferences::Document document = Preferences::Parse(bytes);
    if (document.byteOrderMark) {
        return ::testing::AssertionFailure() << "starts with a byte order mark";
    }
    if (Preferences::Serialize(document) != bytes) {
        return ::testing::AssertionFailure() << "is not in the form the programs write";
    }
    const auto& entries = document.entries;
    const std::size_t expected = 3 + static_cast<std::size_t>(count);
    if (entries.size() != expected) {
        return ::testing::AssertionFailure()
               << "has " << entries.size() << " lines, not " << expected;
    }
    using Kind = Preferences::EntryKind;
    if (entries[0].kind != Kind::Group || entries[0].name != "Allgemein" ||
        entries[1].kind != Kind::Key || entries[1].name != "Language" ||
        entries[1].value != language || entries[2].kind != Kind::Group ||
        entries[2].name != "Text") {
        return ::testing::AssertionFailure()
               << "does not start with [Allgemein] Language = " << language << " [Text]";
    }
    for (int n = 0; n < count; ++n) {
        const Preferences::Entry& entry = entries[3 + static_cast<std::size_t>(n)];
        if (entry.kind != Kind::Key || entry.name != "txt" + std::to_string(n) ||
            entry.value.empty()) {
            return ::testing::AssertionFailure()
                   << "line " << 4 + n << " is not a non-empty txt" << n << " but " << entry.name;
        }
    }
    return ::testing::AssertionSuccess();
}

// The text of key "txt<n>" of group "Text" as the preferences layer reads it.
inline std::string TextOfKey(const std::string& bytes, int n) {
    const Preferences::Document document = Preferences::Parse(bytes);
    bool inText = false;
    for (const Preferences::Entry& entry : document.entries) {
        if (entry.kind == Preferences::EntryKind::Group) {
            inText = entry.name == "Text";
        } else if (inText && entry.kind == Preferences::EntryKind::Key &&
                   entry.name == "txt" + std::to_string(n)) {
            return entry.value;
        }
    }
    return {};
}

// The programs glue texts to numbers, paths and each other ("Cannot write
// file:" + " " + path, "Abort" + "?", "Won" + "!"), so a translation must end
// in the same punctuation as the German text it replaces, or the joined
// message doubles or loses a mark.
inline ::testing::AssertionResult EndsLike(std::string_view translated, std::string_view german) {
    for (std::string_view mark : {":", "!", "?", "..."}) {
        if (translated.ends_with(mark) != german.ends_with(mark)) {
            return ::testing::AssertionFailure()
                   << '"' << translated << "\" and \"" << german << "\" differ in a final " << mark;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace quib::testing
