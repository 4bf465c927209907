#include "server/core/settings.h"

#include <string_view>
#include <system_error>

#include "prefs/language_files.h"
#include "prefs/preferences.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLanguagePrefix = "quib_server_";

}  // namespace

std::vector<LanguageChoice> ListLanguages(const fs::path& workDir,
                                          const std::string& currentLanguageFile) {
    return ListLanguageFiles(workDir, kLanguagePrefix, currentLanguageFile);
}

ServerSettings LoadSettings(const fs::path& workDir, LanguageChooser& chooser) {
    ServerSettings settings;
    const fs::path settingsPath = workDir / kServerSettingsFile;
    {
        Preferences file;
        file.Open(settingsPath);  // a missing file leaves the defaults
        file.SelectGroup("Sonstiges");
        settings.askOptions = file.ReadInt("askOptions", 1);
        settings.languageFile = file.ReadText("Language", settings.languageFile);
        file.Close();
    }
    if (settings.askOptions != 1) {
        return settings;
    }

    const std::vector<LanguageChoice> choices = ListLanguages(workDir, settings.languageFile);
    const std::optional<std::size_t> chosen = chooser.Choose(choices);
    if (!chosen) {
        return settings;  // no dialog: keep the file as read, write nothing
    }
    if (*chosen < choices.size()) {
        settings.languageFile = choices[*chosen].fileName;
    }

    // The choice is kept: the next start uses the chosen file and asks no
    // more. A lab that chose English must not find German screens, and
    // German lines for its participants, from the second start on.
    Preferences file;
    if (file.Create(settingsPath)) {
        file.SelectGroup("Sonstiges");
        file.WriteInt("askOptions", 0);
        file.WriteText("Language", settings.languageFile);
        file.Close();
    }
    return settings;
}

ServerTexts ReadFolderTexts(const fs::path& workDir) {
    Preferences file;
    file.Open(workDir / kServerSettingsFile);  // a missing file leaves the default
    file.SelectGroup("Sonstiges");
    const std::string languageFile = file.ReadText("Language", kDefaultServerLanguageFile);
    file.Close();
    ServerTexts texts;
    ReadLanguageTexts(workDir, languageFile, texts);
    return texts;
}

ServerTexts LoadTexts(const fs::path& workDir, const std::string& languageFile) {
    ServerTexts texts;
    LoadLanguageTexts(workDir, languageFile, texts);
    return texts;
}

}  // namespace quib::server
