// Feeds arbitrary bytes to the preferences parser. A file that has been
// rewritten once must come back unchanged from every further rewrite, and
// writes made in memory must read back the same after a rewrite.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/document_editor.h"
#include "prefs/preferences.h"

namespace {

using quib::DocumentEditor;
using quib::Preferences;
using quib::PrefsEntryKind;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The rewrite of a rewrite equals the rewrite.
std::string CheckStableRewrite(const Preferences::Document& document) {
    const std::string once = Preferences::Serialize(document);
    Check(Preferences::Serialize(Preferences::Parse(once)) == once);
    return once;
}

// The groups and keys the input holds, plus names it does not, so that both
// replacing and adding are reached.
std::vector<std::string> NamesOf(const Preferences::Document& document, PrefsEntryKind kind) {
    std::vector<std::string> names{"", "Sonstiges", "txt0"};
    for (const auto& entry : document.entries) {
        if (entry.kind == kind && names.size() < 12) {
            names.push_back(entry.name);
        }
    }
    return names;
}

void ExerciseEdits(const Preferences::Document& document, std::string_view value) {
    const std::vector<std::string> groups = NamesOf(document, PrefsEntryKind::Group);
    const std::vector<std::string> keys = NamesOf(document, PrefsEntryKind::Key);
    DocumentEditor editor(document);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string& group = groups[i];
        const std::string& key = keys[i % keys.size()];
        editor.SelectGroup(group);
        editor.ReadInt(key, 0);
        editor.WriteText(key, value.substr(0, i * 3));
        editor.WriteInt(keys[(i + 1) % keys.size()], static_cast<std::int32_t>(i * 1000003));

        DocumentEditor reread(Preferences::Parse(CheckStableRewrite(editor.document())));
        reread.SelectGroup(group);
        Check(reread.ReadText(key, "\x01missing") == editor.ReadText(key, "\x01missing"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Preferences::Document document = Preferences::Parse(bytes);
    CheckStableRewrite(document);
    ExerciseEdits(document, bytes);
    return 0;
}
