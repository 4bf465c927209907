#pragma once

#include <string>
#include <vector>

namespace quib {

// The in-memory form of a preferences file: one entry per kept line, in file
// order. Texts are Windows-1252, whatever the file's encoding.
enum class PrefsEntryKind { Group, Comment, Key, Other };

struct PrefsEntry {
    PrefsEntryKind kind = PrefsEntryKind::Other;
    std::string name;   // group name, key, comment text or the whole other line
    std::string value;  // key lines only
};

struct PrefsDocument {
    std::vector<PrefsEntry> entries;
    bool byteOrderMark = false;
};

}  // namespace quib
