#include "prefs/language_files.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <utility>

#include "prefs/preferences.h"

namespace quib {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxLanguageChoices = 100;  // entries 0 .. 99
constexpr std::string_view kSuffix = ".lang";
constexpr std::string_view kNoLanguage = "nix";

std::string TextKey(int n) {
    return "txt" + std::to_string(n);
}

// The wildcard prefix + "*.lang", matched as the file system spells names.
bool IsLanguageFileName(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() + kSuffix.size() && name.starts_with(prefix) &&
           name.ends_with(kSuffix);
}

// The folder's regular files that match the wildcard, sorted. A folder that
// cannot be listed has none.
std::vector<std::string> LanguageFileNames(const fs::path& workDir, std::string_view prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(workDir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsLanguageFileName(name, prefix) && it->is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<LanguageChoice> ListLanguageFiles(const fs::path& workDir, std::string_view prefix,
                                              const std::string& currentLanguageFile) {
    std::vector<LanguageChoice> choices;
    choices.push_back({"Deutsch", currentLanguageFile});
    Preferences file;
    for (const std::string& name : LanguageFileNames(workDir, prefix)) {
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

bool ReadLanguageTexts(const fs::path& workDir, const std::string& languageFile,
                       LanguageTexts& texts) {
    Preferences file;
    if (!file.Open(workDir / languageFile)) {
        return false;
    }
    file.SelectGroup("Text");
    for (int n = 0; n < texts.defaultCount(); ++n) {
        texts.Set(n, file.ReadText(TextKey(n), texts.DefaultText(n)));
    }
    file.Close();
    return true;
}

void LoadLanguageTexts(const fs::path& workDir, const std::string& languageFile,
                       LanguageTexts& texts) {
    if (ReadLanguageTexts(workDir, languageFile, texts)) {
        return;
    }
    // Missing: the defaults stand, and are written out as a template.
    const int count = texts.defaultCount();
    for (int n = 0; n < count; ++n) {
        texts.Set(n, std::string(texts.DefaultText(n)));
    }
    Preferences file;
    if (file.Create(workDir / languageFile)) {
        file.SelectGroup("Allgemein");
        file.WriteText("Language", "Deutsch");
        file.SelectGroup("Text");
        for (int n = 0; n < count; ++n) {
            file.WriteText(TextKey(n), texts.DefaultText(n));
        }
        file.Close();
    }
}

}  // namespace quib
