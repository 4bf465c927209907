#include "server/core/settings.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "prefs/preferences.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxLanguageChoices = 100;  // entries 0 .. 99
constexpr std::string_view kLanguagePrefix = "quib_server_";
constexpr std::string_view kLanguageSuffix = ".lang";
constexpr std::string_view kNoLanguage = "nix";

// The wildcard "quib_server_*.lang", matched as the file system spells names.
bool IsLanguageFileName(std::string_view name) {
    return name.size() >= kLanguagePrefix.size() + kLanguageSuffix.size() &&
           name.starts_with(kLanguagePrefix) && name.ends_with(kLanguageSuffix);
}

// The names of the directory's regular files that match the wildcard, sorted.
// A directory that cannot be listed has none.
std::vector<std::string> LanguageFileNames(const fs::path& workDir) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(workDir, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsLanguageFileName(name) && it->is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TextKey(int n) {
    return "txt" + std::to_string(n);
}

}  // namespace

std::vector<LanguageChoice> ListLanguages(const fs::path& workDir,
                                          const std::string& currentLanguageFile) {
    std::vector<LanguageChoice> choices;
    choices.push_back({"Deutsch", currentLanguageFile});
    Preferences file;
    for (const std::string& name : LanguageFileNames(workDir)) {
        if (choices.size() == kMaxLanguageChoices) {
            break;
        }
        if (name == currentLanguageFile || !file.Open(workDir / name)) {
            continue;
        }
        file.SelectGroup("Allgemein");
        std::string displayName = file.ReadText("Language", kNoLanguage);
        file.Close();
        if (displayName != kNoLanguage) {
            choices.push_back({std::move(displayName), name});
        }
    }
    return choices;
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

    // The choice holds for this run only: the next start uses the German
    // file and asks no more.
    Preferences file;
    if (file.Create(settingsPath)) {
        file.SelectGroup("Sonstiges");
        file.WriteInt("askOptions", 0);
        file.WriteText("Language", kDefaultServerLanguageFile);
        file.Close();
    }
    return settings;
}

ServerTexts LoadTexts(const fs::path& workDir, const std::string& languageFile) {
    ServerTexts texts;
    const fs::path path = workDir / languageFile;
    Preferences file;
    const bool opened = file.Open(path);
    file.SelectGroup("Text");
    for (int n = 0; n < kServerTextCount; ++n) {
        texts.Set(n, file.ReadText(TextKey(n), ServerTexts::Default(n)));
    }
    file.Close();

    if (!opened && file.Create(path)) {
        file.SelectGroup("Allgemein");
        file.WriteText("Language", "Deutsch");
        file.SelectGroup("Text");
        for (int n = 0; n < kServerTextCount; ++n) {
            file.WriteText(TextKey(n), texts[n]);
        }
        file.Close();  // a failed write goes unreported
    }
    return texts;
}

}  // namespace quib::server
