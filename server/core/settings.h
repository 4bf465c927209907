#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "prefs/language_files.h"
#include "server/core/texts.h"

namespace quib::server {

// The settings file in the working directory and the language file the
// server falls back to and writes when its language file is missing.
inline constexpr const char* kServerSettingsFile = "quib_server.prefs";
inline constexpr const char* kDefaultServerLanguageFile = "quib_server_de.lang";

using LanguageChoice = quib::LanguageChoice;

// The language dialog as LoadSettings sees it, so that start-up can be run
// without a window system.
class LanguageChooser {
  public:
    virtual ~LanguageChooser() = default;
    // Shows the entries with entry 0 selected and waits for OK. The index of
    // the chosen entry, or nullopt when the dialog window cannot be opened.
    virtual std::optional<std::size_t> Choose(const std::vector<LanguageChoice>& choices) = 0;
};

// What LoadSettings decides for this run.
struct ServerSettings {
    std::string languageFile = kDefaultServerLanguageFile;  // Windows-1252
    std::int32_t askOptions = 1;                            // as read from the settings file
};

// The dialog's entries: entry 0 "Deutsch" stands for `currentLanguageFile`
// whatever that file holds; then every regular file of `workDir` named
// "quib_server_*.lang", other than exactly `currentLanguageFile`, that opens
// and whose group "Allgemein" names a language (key "Language" not missing
// and not "nix"), sorted by file name. At most 100 entries in all.
std::vector<LanguageChoice> ListLanguages(const std::filesystem::path& workDir,
                                          const std::string& currentLanguageFile);

// Reads quib_server.prefs (group "Sonstiges": askOptions, Language) from
// `workDir`. When askOptions is 1 it offers the language files through
// `chooser`; after a choice the chosen file is used for this run, and the
// settings file is written anew with askOptions = 0 and the chosen language
// file, so that the next start shows no dialog and keeps the language. When the chooser cannot open
// its window the language file stays as read and nothing is written.
ServerSettings LoadSettings(const std::filesystem::path& workDir, LanguageChooser& chooser);

// The texts of `languageFile` (relative to `workDir`), group "Text", keys
// txt0 .. txt188, each defaulting to its built-in German text. When the file
// cannot be opened, the defaults are used and written out as a new language
// file (group "Allgemein" Language = "Deutsch", then group "Text" with every
// key in ascending order); a failure to create it goes unreported. A file
// that lacks some keys is not completed.
ServerTexts LoadTexts(const std::filesystem::path& workDir, const std::string& languageFile);

// The texts the server would start with in `workDir` without its language
// dialog, read without writing anything: those of the language file the
// settings file names (quib_server_de.lang when it names none), or the
// built-in German texts when that file cannot be opened.
ServerTexts ReadFolderTexts(const std::filesystem::path& workDir);

}  // namespace quib::server
