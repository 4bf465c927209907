#pragma once

// Language files of either program: "<prefix>*.lang" in the working folder,
// the name they show in the language dialog in group "Allgemein" (key
// "Language"; "nix" hides a file), the texts in group "Text" (keys txt0,
// txt1, ...). Both programs read and list them the same way; only the
// prefix, the number of texts and the built-in German texts differ.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/language_texts.h"

namespace quib {

// One entry of a language dialog: the name it shows and the file it stands
// for (relative to the working folder). Both Windows-1252.
struct LanguageChoice {
    std::string displayName;
    std::string fileName;
};

// The dialog's entries: entry 0 "Deutsch" stands for `currentLanguageFile`
// whatever that file holds; then every regular file of `workDir` named
// `prefix` + "*.lang", other than exactly `currentLanguageFile`, that opens
// and names a language, sorted by file name so the order does not depend on
// the file system. At most 100 entries in all; further files are left out.
std::vector<LanguageChoice> ListLanguageFiles(const std::filesystem::path& workDir,
                                              std::string_view prefix,
                                              const std::string& currentLanguageFile);

// Sets the texts txt0 .. of `texts` that have a German text from
// `languageFile` (relative to `workDir`); a missing key keeps its German
// text. When the file cannot be opened, the German texts are written out as
// a new language file so that a lab has a template to translate (a failed
// write goes unreported: the texts are there either way).
void LoadLanguageTexts(const std::filesystem::path& workDir, const std::string& languageFile,
                       LanguageTexts& texts);

// The same without writing anything: false, with every text left as it was,
// when the file cannot be opened. For tools that only look at a folder.
bool ReadLanguageTexts(const std::filesystem::path& workDir, const std::string& languageFile,
                       LanguageTexts& texts);

}  // namespace quib
