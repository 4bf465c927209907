#include "client/client_texts.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <utility>

#include "prefs/preferences.h"

namespace quib::client {
namespace {

namespace fs = std::filesystem;

// The built-in German texts, Windows-1252, in key order. They fill the table
// before a language file is read, stand in for keys a language file lacks,
// and make up the language file written when the configured one is missing.
// clang-format off
constexpr const char* kDefaults[kClientTextCount] = {
    "Tamoresk",  // txt0
    "Programmiert von",  // txt1
    "Optionen: Fullscreen",  // txt2
    "Soll das Programm \xFC" "ber den gesamten Bildschrim dargestellt werden?",  // txt3
    "Optionen: IP-Adresse",  // txt4
    "Geben Sie bitte die IP des Servers ein: (z.B. 127.0.0.1)",  // txt5
    "Optionen: Immer Fragen?",  // txt6
    "Soll bei jeden Start die Optionen aufgerufen werden?",  // txt7
    "Fehler!",  // txt8
    "Konnte Einstellungen nicht speichern!",  // txt9
    "Verbindung zum Server wird hergestellt. Bitte warten ...",  // txt10
    "Verbindung zum Server fehlgeschlagen!",  // txt11
    "Keine Verbindung zu",  // txt12
    "Soll erneut versucht werden eine Verbindung aufzubauen?",  // txt13
    "Verbindung zum Server hergestellt. Bitte warten ...",  // txt14
    "Verbindung zum Server verloren!",  // txt15
    "Fehler! Verbindung zum Server verloren!",  // txt16
    "Verbindung zu Server",  // txt17
    "verloren!",  // txt18
    "Fehler beim Senden!",  // txt19
    "Beim Senden des Ausgabepuffers \xFC" "ber die Verbindung wurde eine andere Anzahl "
    "Bytes gesendet, als der Puffer lang ist!",  // txt20
};
// clang-format on

constexpr std::size_t kMaxLanguageChoices = 100;
constexpr std::string_view kLanguagePrefix = "quib_client_";
constexpr std::string_view kLanguageSuffix = ".lang";
constexpr std::string_view kNoLanguage = "nix";

bool IsInRange(int n) {
    return n >= 0 && n < kClientTextCount;
}

std::string TextKey(int n) {
    return "txt" + std::to_string(n);
}

// The wildcard "quib_client_*.lang".
bool IsLanguageFileName(std::string_view name) {
    return name.size() >= kLanguagePrefix.size() + kLanguageSuffix.size() &&
           name.starts_with(kLanguagePrefix) && name.ends_with(kLanguageSuffix);
}

// The directory's regular files matching the wildcard, sorted. A directory
// that cannot be listed has none.
std::vector<std::string> LanguageFileNames(const fs::path& workDir) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(workDir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsLanguageFileName(name) && it->is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

ClientTexts::ClientTexts() {
    for (int n = 0; n < kClientTextCount; ++n) {
        texts_[static_cast<std::size_t>(n)] = kDefaults[n];
    }
}

const std::string& ClientTexts::operator[](int n) const {
    static const std::string kNone;
    return IsInRange(n) ? texts_[static_cast<std::size_t>(n)] : kNone;
}

void ClientTexts::Set(int n, std::string text) {
    if (IsInRange(n)) {
        texts_[static_cast<std::size_t>(n)] = std::move(text);
    }
}

std::string_view ClientTexts::Default(int n) {
    return IsInRange(n) ? kDefaults[n] : std::string_view();
}

ClientTexts LoadClientTexts(const fs::path& workDir, const std::string& languageFile) {
    ClientTexts texts;
    const fs::path path = workDir / languageFile;
    Preferences file;
    const bool opened = file.Open(path);
    file.SelectGroup("Text");
    for (int n = 0; n < kClientTextCount; ++n) {
        texts.Set(n, file.ReadText(TextKey(n), ClientTexts::Default(n)));
    }
    file.Close();

    if (!opened && file.Create(path)) {
        file.SelectGroup("Allgemein");
        file.WriteText("Language", "Deutsch");
        file.SelectGroup("Text");
        for (int n = 0; n < kClientTextCount; ++n) {
            file.WriteText(TextKey(n), texts[n]);
        }
        file.Close();  // a failed write goes unreported
    }
    return texts;
}

std::vector<LanguageChoice> ListClientLanguages(const fs::path& workDir,
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

}  // namespace quib::client
