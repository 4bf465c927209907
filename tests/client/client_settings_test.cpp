#include "client/client_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "client/address_input.h"
#include "client/client_texts.h"
#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::client {
namespace {

using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kFirstStartSettings =
    "[Window]\r\nFullscreen = 0\r\nbaseHight = 450\r\nbaseFontSize = 12\r\n"
    "[Network]\r\nIP = 127.0.0.1\r\nPort = 6832\r\n"
    "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_client_de.lang\r\n";

constexpr const char* kGermanLanguageFile =
    "[Allgemein]\r\nLanguage = Deutsch\r\n"
    "[Text]\r\n"
    "txt0 = Tamoresk\r\n"
    "txt1 = Programmiert von\r\n"
    "txt2 = Optionen: Fullscreen\r\n"
    "txt3 = Soll das Programm \xFC"
    "ber den gesamten Bildschrim dargestellt werden?\r\n"
    "txt4 = Optionen: IP-Adresse\r\n"
    "txt5 = Geben Sie bitte die IP des Servers ein: (z.B. 127.0.0.1)\r\n"
    "txt6 = Optionen: Immer Fragen?\r\n"
    "txt7 = Soll bei jeden Start die Optionen aufgerufen werden?\r\n"
    "txt8 = Fehler!\r\n"
    "txt9 = Konnte Einstellungen nicht speichern!\r\n"
    "txt10 = Verbindung zum Server wird hergestellt. Bitte warten ...\r\n"
    "txt11 = Verbindung zum Server fehlgeschlagen!\r\n"
    "txt12 = Keine Verbindung zu\r\n"
    "txt13 = Soll erneut versucht werden eine Verbindung aufzubauen?\r\n"
    "txt14 = Verbindung zum Server hergestellt. Bitte warten ...\r\n"
    "txt15 = Verbindung zum Server verloren!\r\n"
    "txt16 = Fehler! Verbindung zum Server verloren!\r\n"
    "txt17 = Verbindung zu Server\r\n"
    "txt18 = verloren!\r\n"
    "txt19 = Fehler beim Senden!\r\n"
    "txt20 = Beim Senden des Ausgabepuffers \xFC"
    "ber die Verbindung wurde eine andere Anzahl Bytes gesendet, als der Puffer "
    "lang ist!\r\n"
    "txt21 = dem quib-Team\r\n"
    "txt22 = Bild fehlt:\r\n";

// The start-up of a fresh installation without the dialog's widgets: load
// the settings and texts, take the typed address, save.
TEST(ClientFirstStartTest, WritesBothFilesByteForByte) {
    ScratchDirectory dir;
    ClientSettings settings = LoadClientSettings(dir.path());
    ASSERT_EQ(settings.askOptions, 1);
    const ClientTexts texts = LoadClientTexts(dir.path(), settings.language);
    const std::optional<std::string> address = NormaliseServerAddress(settings.ip);
    ASSERT_TRUE(address.has_value());
    settings.ip = *address;
    ASSERT_TRUE(SaveClientSettings(dir.path(), settings));

    EXPECT_EQ(ReadBytes(dir.path() / "quib_client.prefs"), kFirstStartSettings);
    EXPECT_EQ(ReadBytes(dir.path() / "quib_client_de.lang"), kGermanLanguageFile);
    EXPECT_EQ(NamesIn(dir.path()),
              (std::vector<std::string>{"quib_client.prefs", "quib_client_de.lang"}));
    EXPECT_EQ(texts[txt::kFullscreenQuestion], ClientTexts::Default(txt::kFullscreenQuestion));
}

TEST(ClientSettingsTest, DefaultsWithoutAFile) {
    ScratchDirectory dir;
    const ClientSettings settings = LoadClientSettings(dir.path());
    EXPECT_EQ(settings.fullscreen, 0);
    EXPECT_EQ(settings.baseHight, 450);
    EXPECT_EQ(settings.baseFontSize, 12);
    EXPECT_EQ(settings.ip, "127.000.000.001");
    EXPECT_EQ(settings.port, 6832);
    EXPECT_EQ(settings.askOptions, 1);
    EXPECT_EQ(settings.language, "quib_client_de.lang");
    EXPECT_TRUE(NamesIn(dir.path()).empty()) << "loading must not create the file";
}

TEST(ClientSettingsTest, RoundTripKeepsEverySetting) {
    ScratchDirectory dir;
    ClientSettings written;
    written.fullscreen = 1;
    written.baseHight = 720;
    written.baseFontSize = 18;
    written.ip = "10.1.2.3";
    written.port = 7001;
    written.askOptions = 0;
    written.language = "quib_client_en.lang";
    ASSERT_TRUE(SaveClientSettings(dir.path(), written));

    const ClientSettings read = LoadClientSettings(dir.path());
    EXPECT_EQ(read.fullscreen, 1);
    EXPECT_EQ(read.baseHight, 720);
    EXPECT_EQ(read.baseFontSize, 18);
    EXPECT_EQ(read.ip, "10.1.2.3");
    EXPECT_EQ(read.port, 7001);
    EXPECT_EQ(read.askOptions, 0);
    EXPECT_EQ(read.language, "quib_client_en.lang");
}

TEST(ClientSettingsTest, SaveReplacesAHandEditedFileAsAWhole) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_client.prefs",
               "; Kommentar\r\n[Sonstiges]\r\nLanguage=quib_client_en.lang\r\nExtra = 5\r\n"
               "[network]\r\nport=7000\r\n");
    ClientSettings settings = LoadClientSettings(dir.path());
    EXPECT_EQ(settings.port, 7000);  // group names match without regard to case
    EXPECT_EQ(settings.language, "quib_client_en.lang");
    settings.ip = "127.0.0.1";
    settings.port = 6832;
    settings.language = "quib_client_de.lang";
    ASSERT_TRUE(SaveClientSettings(dir.path(), settings));
    EXPECT_EQ(ReadBytes(dir.path() / "quib_client.prefs"), kFirstStartSettings);
}

TEST(ClientSettingsTest, MissingKeysKeepDefaultsAndJunkIntegersReadZero) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_client.prefs",
               "[Window]\nbaseHight=300\n[Network]\nPort = abc\nIP = server.local\n");
    const ClientSettings settings = LoadClientSettings(dir.path());
    EXPECT_EQ(settings.baseHight, 300);
    EXPECT_EQ(settings.port, 0);
    EXPECT_EQ(settings.ip, "server.local");
    EXPECT_EQ(settings.fullscreen, 0);
    EXPECT_EQ(settings.baseFontSize, 12);
    EXPECT_EQ(settings.askOptions, 1);
    EXPECT_EQ(settings.language, "quib_client_de.lang");
}

TEST(ClientSettingsTest, SaveFailsWhenTheFileCannotBeCreated) {
    ScratchDirectory dir;
    EXPECT_FALSE(SaveClientSettings(dir.path() / "missing_folder", ClientSettings{}));
}

struct GiveUpCase {
    std::string name;
    std::optional<std::string> before;  // nothing: no settings file yet
    std::string after;
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const GiveUpCase& row, std::ostream* out) {
    *out << row.name;
}

class GiveUpTest : public ::testing::TestWithParam<GiveUpCase> {};

TEST_P(GiveUpTest, NextStartOffersTheOptions) {
    const GiveUpCase& row = GetParam();
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "quib_client.prefs";
    if (row.before) {
        WriteBytes(file, *row.before);
    }
    ASSERT_TRUE(RequestOptionsAtNextStart(dir.path()));
    EXPECT_EQ(ReadBytes(file), row.after);
    EXPECT_EQ(LoadClientSettings(dir.path()).askOptions, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GiveUpTest,
    ::testing::Values(
        GiveUpCase{
            "ExistingFileKeepsTheRest",
            std::string("[Window]\r\nFullscreen = 1\r\nbaseHight = 450\r\nbaseFontSize = 12\r\n"
                        "[Network]\r\nIP = 10.0.0.9\r\nPort = 6832\r\n"
                        "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_client_de.lang\r\n"),
            "[Window]\r\nFullscreen = 1\r\nbaseHight = 450\r\nbaseFontSize = 12\r\n"
            "[Network]\r\nIP = 10.0.0.9\r\nPort = 6832\r\n"
            "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_client_de.lang\r\n"},
        GiveUpCase{"ExistingFileWithoutTheGroup", std::string("[Network]\r\nIP = 10.0.0.9\r\n"),
                   "[Network]\r\nIP = 10.0.0.9\r\n[Sonstiges]\r\naskOptions = 1\r\n"},
        GiveUpCase{"NoFileYet", std::nullopt, "[Sonstiges]\r\naskOptions = 1\r\n"}),
    quib::testing::CaseName());

TEST(GiveUpWriteTest, FailsWhenTheFileCannotBeWritten) {
    ScratchDirectory dir;
    EXPECT_FALSE(RequestOptionsAtNextStart(dir.path() / "missing_folder"));
}

TEST(ClientTextsTest, MissingKeysKeepTheirDefaultsAndTheFileIsNotCompleted) {
    ScratchDirectory dir;
    const std::string english =
        "[Allgemein]\r\nLanguage = English\r\n[Text]\r\ntxt0 = Tamoresk EN\r\n"
        "txt8 = Error!\r\ntxt20 = Send failed\r\n";
    WriteBytes(dir.path() / "quib_client_en.lang", english);

    const ClientTexts texts = LoadClientTexts(dir.path(), "quib_client_en.lang");
    for (int n = 0; n < kClientTextCount; ++n) {
        std::string expected(ClientTexts::Default(n));
        if (n == 0) {
            expected = "Tamoresk EN";
        } else if (n == 8) {
            expected = "Error!";
        } else if (n == 20) {
            expected = "Send failed";
        }
        EXPECT_EQ(texts[n], expected) << "txt" << n;
    }
    EXPECT_EQ(ReadBytes(dir.path() / "quib_client_en.lang"), english);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"quib_client_en.lang"});
}

TEST(ClientTextsTest, MissingFileOfAnotherNameIsWrittenWithTheGermanTexts) {
    ScratchDirectory dir;
    const ClientTexts texts = LoadClientTexts(dir.path(), "quib_client_xx.lang");
    EXPECT_EQ(texts[txt::kSendErrorText], ClientTexts::Default(txt::kSendErrorText));
    EXPECT_EQ(ReadBytes(dir.path() / "quib_client_xx.lang"), kGermanLanguageFile);
}

TEST(ClientTextsTest, OutsideTheTableIsEmpty) {
    const ClientTexts texts;
    EXPECT_TRUE(texts[-1].empty());
    EXPECT_TRUE(texts[kClientTextCount].empty());
    EXPECT_TRUE(ClientTexts::Default(kClientTextCount).empty());
    EXPECT_EQ(texts[txt::kSendErrorText], ClientTexts::Default(txt::kSendErrorText));
}

TEST(ClientLanguagesTest, ListsNamedFilesAfterTheCurrentOne) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_client_de.lang", "[Allgemein]\r\nLanguage = Deutsch\r\n");
    WriteBytes(dir.path() / "quib_client_en.lang", "[Allgemein]\r\nLanguage = English\r\n");
    WriteBytes(dir.path() / "quib_client_fr.lang",
               "[Allgemein]\r\nLanguage = Fran\xE7"
               "ais\r\n");
    WriteBytes(dir.path() / "quib_client_xx.lang", "[Text]\r\ntxt0 = nothing named\r\n");
    WriteBytes(dir.path() / "quib_client_nn.lang", "[Allgemein]\r\nLanguage = nix\r\n");
    WriteBytes(dir.path() / "quib_server_it.lang", "[Allgemein]\r\nLanguage = Italiano\r\n");
    WriteBytes(dir.path() / "quib_client_es.txt", "[Allgemein]\r\nLanguage = Espanol\r\n");
    std::filesystem::create_directory(dir.path() / "quib_client_dir.lang");

    const std::vector<LanguageChoice> choices =
        ListClientLanguages(dir.path(), "quib_client_en.lang");
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0].displayName, "Deutsch");
    EXPECT_EQ(choices[0].fileName, "quib_client_en.lang");  // whatever that file is
    EXPECT_EQ(choices[1].displayName, "Deutsch");
    EXPECT_EQ(choices[1].fileName, "quib_client_de.lang");
    EXPECT_EQ(choices[2].displayName,
              "Fran\xE7"
              "ais");
    EXPECT_EQ(choices[2].fileName, "quib_client_fr.lang");
}

TEST(ClientLanguagesTest, OnlyDeutschOnAFreshInstallation) {
    ScratchDirectory dir;
    const std::vector<LanguageChoice> choices =
        ListClientLanguages(dir.path(), "quib_client_de.lang");
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].displayName, "Deutsch");
    EXPECT_EQ(choices[0].fileName, "quib_client_de.lang");
}

TEST(ClientLanguagesTest, StopsAtOneHundredEntries) {
    ScratchDirectory dir;
    for (int n = 0; n < 120; ++n) {
        WriteBytes(dir.path() / ("quib_client_" + std::to_string(1000 + n) + ".lang"),
                   "[Allgemein]\r\nLanguage = L" + std::to_string(1000 + n) + "\r\n");
    }
    const std::vector<LanguageChoice> choices =
        ListClientLanguages(dir.path(), "quib_client_de.lang");
    ASSERT_EQ(choices.size(), 100u);
    EXPECT_EQ(choices[1].fileName, "quib_client_1000.lang");
    EXPECT_EQ(choices[99].fileName, "quib_client_1098.lang");
}

}  // namespace
}  // namespace quib::client
