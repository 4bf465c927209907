#include "client/client_texts.h"

#include "prefs/language_files.h"

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
    "dem quib-Team",  // txt21: the author credit of the window title
    "Bild fehlt:",  // txt22: before the folder and name of a figure picture that did not load
};
// clang-format on
static_assert(txt::kPictureMissing == kClientTextCount - 1, "client_text_ids.h names every text");

constexpr std::string_view kLanguagePrefix = "quib_client_";

}  // namespace

ClientTexts::ClientTexts() : LanguageTexts(kDefaults, kClientTextCount) {}

std::string_view ClientTexts::Default(int n) {
    return DefaultIn(kDefaults, n);
}

ClientTexts LoadClientTexts(const fs::path& workDir, const std::string& languageFile) {
    ClientTexts texts;
    LoadLanguageTexts(workDir, languageFile, texts);
    return texts;
}

std::vector<LanguageChoice> ListClientLanguages(const fs::path& workDir,
                                                const std::string& currentLanguageFile) {
    return ListLanguageFiles(workDir, kLanguagePrefix, currentLanguageFile);
}

}  // namespace quib::client
