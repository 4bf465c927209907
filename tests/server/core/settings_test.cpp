#include "server/core/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// Stands in for the dialog: records what it was offered and answers as told.
class FakeChooser : public LanguageChooser {
  public:
    explicit FakeChooser(std::optional<std::size_t> answer = 0) : answer_(answer) {}

    std::optional<std::size_t> Choose(const std::vector<LanguageChoice>& choices) override {
        ++calls;
        offered = choices;
        return answer_;
    }

    int calls = 0;
    std::vector<LanguageChoice> offered;

  private:
    std::optional<std::size_t> answer_;
};

std::vector<std::string> DisplayNames(const std::vector<LanguageChoice>& choices) {
    std::vector<std::string> names;
    for (const LanguageChoice& choice : choices) {
        names.push_back(choice.displayName);
    }
    return names;
}

std::vector<std::string> FileNames(const std::vector<LanguageChoice>& choices) {
    std::vector<std::string> names;
    for (const LanguageChoice& choice : choices) {
        names.push_back(choice.fileName);
    }
    return names;
}

// The German language file as the server writes it, built from the table.
std::string GermanLanguageFile() {
    std::string bytes = "[Allgemein]\r\nLanguage = Deutsch\r\n[Text]\r\n";
    for (int n = 0; n < kServerTextCount; ++n) {
        bytes += "txt" + std::to_string(n) + " = " + std::string(ServerTexts::Default(n)) + "\r\n";
    }
    return bytes;
}

// After the dialog, when German was chosen.
constexpr const char* kSettingsAfterDialog =
    "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_de.lang\r\n";

constexpr const char* kEnglishFile =
    "[Allgemein]\r\n"
    "Language = English\r\n"
    "[Text]\r\n"
    "txt3 = Error!\r\n"
    "txt11 = Tamoresk - Server - Programmed by\r\n"
    "txt26 = h\r\n";

constexpr const char* kFrench =
    "Fran\xE7"
    "ais";  // Windows-1252

void ExpectDefaults(const ServerTexts& texts) {
    for (int n = 0; n < kServerTextCount; ++n) {
        EXPECT_EQ(texts[n], ServerTexts::Default(n)) << "txt" << n;
    }
}

TEST(LoadSettingsTest, FirstStartInAnEmptyDirectory) {
    ScratchDirectory dir;
    FakeChooser chooser(0);

    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 1);
    ASSERT_EQ(chooser.offered.size(), 1u);
    EXPECT_EQ(chooser.offered[0].displayName, "Deutsch");
    EXPECT_EQ(chooser.offered[0].fileName, "quib_server_de.lang");
    EXPECT_EQ(settings.languageFile, "quib_server_de.lang");
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"), kSettingsAfterDialog);
    EXPECT_FALSE(fs::exists(dir.path() / "quib_server_de.lang"));

    const ServerTexts texts = LoadTexts(dir.path(), settings.languageFile);
    ExpectDefaults(texts);

    const std::string written = ReadBytes(dir.path() / "quib_server_de.lang");
    EXPECT_EQ(written, GermanLanguageFile());
    EXPECT_TRUE(
        written.starts_with("[Allgemein]\r\nLanguage = Deutsch\r\n[Text]\r\n"
                            "txt0 = Hier kann man einen Kommentar \xFC"
                            "ber den Probanten hinterlassen.\r\n"
                            "txt1 = Kann Verzeichniss nicht erstellen:\r\n"));
    EXPECT_NE(written.find("\r\ntxt37 = Spiel l\xE4uft ...\r\ntxt38 = "), std::string::npos);
    EXPECT_NE(written.find("\r\ntxt95 = gr\xFCn\r\ntxt96 = blau\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\ntxt144 = M\xF6gliche Zielstimuli\r\n"), std::string::npos);
    EXPECT_NE(
        written.find("\r\ntxt170 = dem quib-Team\r\n"
                     "txt171 = Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert:\r\n"),
        std::string::npos);
    EXPECT_TRUE(
        written.find("\r\ntxt173 = Programmiert von\r\n"
                     "txt174 = Bild fehlt auf dem Rechner des Spielers:\r\n"
                     "txt175 = Keine verwendbaren Figurenbilder, das Spiel kann nicht "
                     "starten. Figurenbilder sind PNG-Dateien (h\xF6"
                     "chstens 2048 Pixel je Seite, Name nicht auf 1 endend) im "
                     "Ordner\r\n"
                     "txt176 = Unfertiger Schreibvorgang nicht ausgef\xFChrt, keine "
                     "Protokolldatei dieses Ordners:\r\n"
                     "txt177 = Keine gew\xF6hnliche Datei (Verkn\xFCpfung?), wird nicht "
                     "beschrieben:\r\n"
                     "txt178 = Dateiname l\xE4nger als 100 Bytes, die Spieler k\xF6nnen das "
                     "Bild nicht laden\r\n"
                     "txt179 = Bild kann nicht geladen werden (kein lesbares PNG oder "
                     "gr\xF6\xDF"
                     "er als 2048 Pixel je Seite)\r\n") != std::string::npos);
    EXPECT_TRUE(
        written.ends_with("\r\ntxt192 = Sitzungsdatei wieder geschrieben, verlorene Zeilen:\r\n"
                          "txt193 = Abgeschnittene letzte Zeile entfernt (Server nicht "
                          "ordentlich beendet):\r\n"));

    // 3 lines of heading and 170 key lines, in ascending key order.
    std::istringstream lines(written);
    std::string line;
    int count = 0;
    int key = 0;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(line.ends_with('\r')) << line;
        if (++count > 3) {
            EXPECT_TRUE(line.starts_with("txt" + std::to_string(key++) + " = ")) << line;
        }
    }
    EXPECT_EQ(count, 3 + kServerTextCount);
}

TEST(LoadSettingsTest, SecondStartShowsNoDialogAndChangesNothing) {
    ScratchDirectory dir;
    {
        FakeChooser chooser(0);
        LoadTexts(dir.path(), LoadSettings(dir.path(), chooser).languageFile);
    }
    const std::string settingsBytes = ReadBytes(dir.path() / "quib_server.prefs");
    const std::string languageBytes = ReadBytes(dir.path() / "quib_server_de.lang");

    FakeChooser chooser(0);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(settings.askOptions, 0);
    EXPECT_EQ(settings.languageFile, "quib_server_de.lang");
    ExpectDefaults(LoadTexts(dir.path(), settings.languageFile));
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"), settingsBytes);
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server_de.lang"), languageBytes);
}

TEST(LoadSettingsTest, AskOptionsOtherThanOneShowsNoDialog) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server.prefs",
               "[Sonstiges]\r\naskOptions = 2\r\nLanguage = quib_server_en.lang\r\n");
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    FakeChooser chooser(0);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(settings.askOptions, 2);
    EXPECT_EQ(settings.languageFile, "quib_server_en.lang");
    EXPECT_EQ(LoadTexts(dir.path(), settings.languageFile)[3], "Error!");
}

TEST(LoadSettingsTest, ChosenLanguageIsUsedAndKeptForTheNextStart) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    const std::string englishBefore = ReadBytes(dir.path() / "quib_server_en.lang");

    FakeChooser chooser(1);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(DisplayNames(chooser.offered), (std::vector<std::string>{"Deutsch", "English"}));
    EXPECT_EQ(FileNames(chooser.offered),
              (std::vector<std::string>{"quib_server_de.lang", "quib_server_en.lang"}));
    EXPECT_EQ(settings.languageFile, "quib_server_en.lang");

    const ServerTexts texts = LoadTexts(dir.path(), settings.languageFile);
    EXPECT_EQ(texts[txt::kErrorTitle], "Error!");
    EXPECT_EQ(texts[txt::kTitleProgrammedBy], "Tamoresk - Server - Programmed by");
    EXPECT_EQ(texts[txt::kHoursUnit], "h");
    EXPECT_EQ(texts[txt::kMinutesUnit], ServerTexts::Default(txt::kMinutesUnit));
    EXPECT_EQ(texts[txt::kCommentPlaceholder], ServerTexts::Default(txt::kCommentPlaceholder));
    // The English file is read, not completed; the German one is not written.
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server_en.lang"), englishBefore);
    EXPECT_FALSE(fs::exists(dir.path() / "quib_server_de.lang"));

    // The settings keep the English file: the next start asks nothing and
    // is English again.
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"),
              "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_en.lang\r\n");
    FakeChooser next(0);
    const ServerSettings nextSettings = LoadSettings(dir.path(), next);
    EXPECT_EQ(next.calls, 0);
    EXPECT_EQ(nextSettings.languageFile, "quib_server_en.lang");
    EXPECT_EQ(LoadTexts(dir.path(), nextSettings.languageFile)[txt::kErrorTitle], "Error!");
    EXPECT_FALSE(fs::exists(dir.path() / "quib_server_de.lang"));
}

TEST(LoadSettingsTest, ChoosingEntryZeroAfterASecondLanguageKeepsGerman) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    FakeChooser chooser(0);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.offered.size(), 2u);
    EXPECT_EQ(settings.languageFile, "quib_server_de.lang");
    ExpectDefaults(LoadTexts(dir.path(), settings.languageFile));
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server_de.lang"), GermanLanguageFile());
}

TEST(LoadSettingsTest, FilesWithoutALanguageNameAreNotListed) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    WriteBytes(dir.path() / "quib_server_nix.lang",
               "[Allgemein]\r\nLanguage = nix\r\n[Text]\r\ntxt3 = x\r\n");
    WriteBytes(dir.path() / "quib_server_nokey.lang", "[Allgemein]\r\n[Text]\r\ntxt3 = x\r\n");
    WriteBytes(dir.path() / "quib_server_nogroup.lang", "Language = Ungrouped\r\n[Text]\r\n");
    WriteBytes(dir.path() / "quib_server_othergroup.lang", "[Text]\r\nLanguage = Wrong\r\n");
    WriteBytes(dir.path() / "quib_server_empty.lang", "");
    // Names that do not match the pattern, and a directory that does.
    WriteBytes(dir.path() / "quib_client_fr.lang", "[Allgemein]\r\nLanguage = Client\r\n");
    WriteBytes(dir.path() / "quib_server_fr.lang.bak", "[Allgemein]\r\nLanguage = Backup\r\n");
    WriteBytes(dir.path() / "quib_server_fr.txt", "[Allgemein]\r\nLanguage = Text\r\n");
    WriteBytes(dir.path() / "xquib_server_fr.lang", "[Allgemein]\r\nLanguage = Prefixed\r\n");
    fs::create_directory(dir.path() / "quib_server_dir.lang");

    FakeChooser chooser(0);
    LoadSettings(dir.path(), chooser);
    EXPECT_EQ(DisplayNames(chooser.offered), (std::vector<std::string>{"Deutsch", "English"}));
}

TEST(LoadSettingsTest, ConfiguredLanguageIsEntryZeroAndNotListedTwice) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server.prefs",
               "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_server_en.lang\r\n");
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    WriteBytes(
        dir.path() / "quib_server_fr.lang",
        "[Allgemein]\r\nLanguage = " + std::string(kFrench) + "\r\n[Text]\r\ntxt3 = Erreur !\r\n");

    FakeChooser chooser(0);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(DisplayNames(chooser.offered), (std::vector<std::string>{"Deutsch", kFrench}));
    EXPECT_EQ(FileNames(chooser.offered),
              (std::vector<std::string>{"quib_server_en.lang", "quib_server_fr.lang"}));
    EXPECT_EQ(settings.languageFile, "quib_server_en.lang");
    EXPECT_EQ(LoadTexts(dir.path(), settings.languageFile)[3], "Error!");
    // Entry 0 stands for the configured file, which is kept.
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"),
              "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_en.lang\r\n");
}

TEST(LoadSettingsTest, GermanFileIsNotListedBesideEntryZero) {
    ScratchDirectory dir;
    FakeChooser first(0);
    LoadTexts(dir.path(), LoadSettings(dir.path(), first).languageFile);
    WriteBytes(dir.path() / "quib_server.prefs", "[Sonstiges]\r\naskOptions = 1\r\n");

    FakeChooser chooser(0);
    LoadSettings(dir.path(), chooser);
    ASSERT_EQ(chooser.offered.size(), 1u);
    EXPECT_EQ(chooser.offered[0].fileName, "quib_server_de.lang");
}

TEST(LoadSettingsTest, NoDialogWindowKeepsTheFileAndWritesNothing) {
    ScratchDirectory dir;
    const std::string prefs = "[Sonstiges]\r\nLanguage = quib_server_en.lang\r\n";
    WriteBytes(dir.path() / "quib_server.prefs", prefs);
    WriteBytes(dir.path() / "quib_server_fr.lang", "[Allgemein]\r\nLanguage = Francais\r\n");

    FakeChooser chooser(std::nullopt);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(settings.languageFile, "quib_server_en.lang");
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"), prefs);

    ScratchDirectory empty;
    FakeChooser none(std::nullopt);
    EXPECT_EQ(LoadSettings(empty.path(), none).languageFile, "quib_server_de.lang");
    EXPECT_FALSE(fs::exists(empty.path() / "quib_server.prefs"));
}

TEST(LoadSettingsTest, SettingsFileWithoutTheGroupGivesTheDefaults) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server.prefs",
               "askOptions = 0\r\n[Other]\r\nLanguage = quib_server_en.lang\r\n");
    FakeChooser chooser(0);
    const ServerSettings settings = LoadSettings(dir.path(), chooser);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(settings.languageFile, "quib_server_de.lang");
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server.prefs"), kSettingsAfterDialog);
}

// "quib_server_007.lang" for 7.
std::string NumberedLanguageFile(int n) {
    std::string digits = std::to_string(n);
    digits.insert(0, 3 - std::min<std::size_t>(3, digits.size()), '0');
    return "quib_server_" + digits + ".lang";
}

TEST(ListLanguagesTest, SortedByFileNameAndCappedAtOneHundredEntries) {
    ScratchDirectory dir;
    for (int n = 119; n >= 0; --n) {
        WriteBytes(dir.path() / NumberedLanguageFile(n),
                   "[Allgemein]\r\nLanguage = L" + std::to_string(n) + "\r\n");
    }
    const std::vector<LanguageChoice> choices = ListLanguages(dir.path(), "quib_server_de.lang");
    ASSERT_EQ(choices.size(), 100u);
    EXPECT_EQ(choices[0].displayName, "Deutsch");
    for (std::size_t i = 1; i < choices.size(); ++i) {
        EXPECT_EQ(choices[i].fileName, NumberedLanguageFile(static_cast<int>(i) - 1));
        EXPECT_EQ(choices[i].displayName, "L" + std::to_string(i - 1));
    }
}

TEST(ListLanguagesTest, MissingDirectoryListsOnlyEntryZero) {
    ScratchDirectory dir;
    const std::vector<LanguageChoice> choices =
        ListLanguages(dir.path() / "missing", "quib_server_xx.lang");
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].displayName, "Deutsch");
    EXPECT_EQ(choices[0].fileName, "quib_server_xx.lang");
}

TEST(LoadTextsTest, LanguageFileChangesTheWindowTitleText) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server_de.lang",
               "[Text]\r\ntxt11 = Tamoresk - Serveur - Programm\xE9 par\r\n");
    const ServerTexts texts = LoadTexts(dir.path(), "quib_server_de.lang");
    EXPECT_EQ(texts[txt::kTitleProgrammedBy], "Tamoresk - Serveur - Programm\xE9 par");
    EXPECT_EQ(texts[txt::kRoundAndGameNotSaved], ServerTexts::Default(txt::kRoundAndGameNotSaved));
    EXPECT_EQ(texts[txt::kPleaseWait], ServerTexts::Default(txt::kPleaseWait));
}

TEST(LoadTextsTest, MissingKeysGiveDefaultsAndTheFileIsNotCompleted) {
    ScratchDirectory dir;
    const std::string bytes =
        "[Allgemein]\nLanguage=Teil\n[Text]\ntxt0=Kommentar\n; note\ntxt169 =  Z \ntxt5 =\n"
        "[Other]\ntxt1 = not this one\n";
    WriteBytes(dir.path() / "quib_server_part.lang", bytes);
    const ServerTexts texts = LoadTexts(dir.path(), "quib_server_part.lang");
    EXPECT_EQ(texts[txt::kCommentPlaceholder], "Kommentar");
    EXPECT_EQ(texts[txt::kTouchingMark], "Z");
    EXPECT_EQ(texts[txt::kCannotWriteFile], "");  // present but empty: not the default
    EXPECT_EQ(texts[txt::kCannotCreateFolder], ServerTexts::Default(txt::kCannotCreateFolder));
    for (int n = 6; n < 169; ++n) {
        EXPECT_EQ(texts[n], ServerTexts::Default(n)) << "txt" << n;
    }
    for (int n = kServerTextCount; n < kServerTextSlots; ++n) {
        EXPECT_TRUE(texts[n].empty());
    }
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server_part.lang"), bytes);
}

TEST(LoadTextsTest, KeysAndGroupCompareWithoutCase) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_server_de.lang", "[TEXT]\r\nTXT3 = Oops\r\n");
    EXPECT_EQ(LoadTexts(dir.path(), "quib_server_de.lang")[3], "Oops");
}

TEST(LoadTextsTest, MissingFileOfAnyNameIsWrittenWithTheGermanTexts) {
    ScratchDirectory dir;
    ExpectDefaults(LoadTexts(dir.path(), "quib_server_en.lang"));
    EXPECT_EQ(ReadBytes(dir.path() / "quib_server_en.lang"), GermanLanguageFile());
}

TEST(LoadTextsTest, FileThatCannotBeCreatedIsSilentlyNotWritten) {
    ScratchDirectory dir;
    const fs::path missing = dir.path() / "missing";
    ExpectDefaults(LoadTexts(missing, "quib_server_de.lang"));
    EXPECT_FALSE(fs::exists(missing));
}

// A tool looking at a lab's folder takes the language file its settings
// name, or the German texts, and leaves the folder as it found it.
TEST(ReadFolderTextsTest, TakesTheSettingsLanguageFileAndWritesNothing) {
    ScratchDirectory dir;
    const std::string settings =
        "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_server_en.lang\r\n";
    WriteBytes(dir.path() / "quib_server.prefs", settings);
    WriteBytes(dir.path() / "quib_server_en.lang", kEnglishFile);
    EXPECT_EQ(ReadFolderTexts(dir.path())[3], "Error!");

    fs::remove(dir.path() / "quib_server_en.lang");
    ExpectDefaults(ReadFolderTexts(dir.path()));
    fs::remove(dir.path() / "quib_server.prefs");
    ExpectDefaults(ReadFolderTexts(dir.path()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace quib::server
