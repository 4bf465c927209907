#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "client/client_text_ids.h"
#include "common/language_texts.h"
#include "prefs/language_files.h"

namespace quib::client {

inline constexpr int kClientTextCount = 23;  // txt0 .. txt22

// The player's program's language texts, txt0 .. txt22, each with a German
// text.
class ClientTexts : public LanguageTexts {
  public:
    // Every entry holds its built-in German default.
    ClientTexts();

    // The built-in German text of key n; empty outside txt0 .. txt22.
    static std::string_view Default(int n);
};

// The texts of `languageFile` (relative to `workDir`), group "Text", each key
// missing from it keeping its German default. When the file cannot be
// opened, the defaults are used and written out as a new language file
// (group "Allgemein" Language = "Deutsch", then group "Text" txt0 .. txt22)
// for a translator to start from; a failure to create it goes unreported.
ClientTexts LoadClientTexts(const std::filesystem::path& workDir, const std::string& languageFile);

using LanguageChoice = quib::LanguageChoice;

// The chooser's entries: entry 0 "Deutsch" stands for `currentLanguageFile`,
// whatever that file holds; then every regular file of `workDir` named
// "quib_client_*.lang", other than exactly `currentLanguageFile`, that opens
// and names its language (group "Allgemein", key "Language", not "nix"),
// sorted by file name so the order does not depend on the file system. At
// most 100 entries in all; further files are left out.
std::vector<LanguageChoice> ListClientLanguages(const std::filesystem::path& workDir,
                                                const std::string& currentLanguageFile);

}  // namespace quib::client
