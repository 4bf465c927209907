// quib_export on small lab folders: the scripted game's four rounds (the
// files the server's own scripted-game test writes byte for byte) exported
// to tables checked line by line, the same lab in English, labs with a
// round missing, a file it cannot read, and where it refuses to write.

#include "tools/export/lab_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kTables[] = {"games.csv",     "rounds.csv",   "events.csv",
                                   "positions.csv", "subjects.csv", "problems.csv"};

// Every file below a folder with its bytes, to show that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? ReadBytes(entry.path()) : "<folder>";
    }
    return files;
}

class ExportedLab : public ::testing::Test {
  protected:
    void SetUp() override { fs::copy(QUIB_SCRIPTED_GAME_DIR, lab(), fs::copy_options::recursive); }

    fs::path lab() const { return dir.path() / "lab"; }
    fs::path out() const { return dir.path() / "out"; }

    ExportResult Export(bool allowProblems = false) {
        ExportOptions options;
        options.labFolder = lab();
        options.outFolder = out();
        options.allowProblems = allowProblems;
        const std::map<std::string, std::string> before = Snapshot(lab());
        ExportResult result = ExportLab(options);
        EXPECT_EQ(Snapshot(lab()), before) << "the lab folder was changed";
        return result;
    }

    // Replaces whole ";"-separated fields (or whole lines) equal to `from`
    // in every record file of the lab.
    void ReplaceFields(const std::map<std::string, std::string>& words) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(lab())) {
            if (!entry.is_regular_file()) {
                continue;
            }
            std::string text = ReadBytes(entry.path());
            std::string changed;
            std::size_t start = 0;
            for (std::size_t i = 0; i <= text.size(); ++i) {
                if (i == text.size() || text[i] == ';' || text[i] == '\n' || text[i] == '\r') {
                    const std::string field = text.substr(start, i - start);
                    const auto found = words.find(field);
                    changed += found == words.end() ? field : found->second;
                    if (i < text.size()) {
                        changed += text[i];
                    }
                    start = i + 1;
                }
            }
            WriteBytes(entry.path(), changed);
        }
    }

    void Edit(const std::string& file, const std::string& from, const std::string& to) {
        std::string text = ReadBytes(lab() / file);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << file << " lacks " << from;
        text.replace(at, from.size(), to);
        WriteBytes(lab() / file, text);
    }

    ScratchDirectory dir;
};

TEST_F(ExportedLab, TheScriptedGameGivesTheExpectedTables) {
    const ExportResult result = Export();
    EXPECT_EQ(result.status, kExportClean) << result.message;
    EXPECT_EQ(result.games, 1);
    EXPECT_EQ(result.rounds, 4);
    for (const char* table : kTables) {
        EXPECT_EQ(ReadBytes(out() / table),
                  ReadBytes(fs::path(QUIB_TEST_DATA_DIR) / "scripted_game" / table))
            << table;
    }
    EXPECT_TRUE(fs::exists(out() / "codebook.csv"));
    EXPECT_TRUE(fs::exists(out() / "codebook.md"));
}

// Four games of four subjects at levels 1, 3 and 5, open and covered, made
// by the server's own game and record functions; the file of game 1's last
// round (r000007.csv) has been lost.
TEST(StudyLab, GivesTheExpectedTablesAndNamesTheLostRound) {
    ScratchDirectory dir;
    ExportOptions options;
    options.labFolder = fs::path(QUIB_TEST_DATA_DIR) / "study_lab";
    options.outFolder = dir.path();
    options.allowProblems = true;
    const ExportResult result = ExportLab(options);
    EXPECT_EQ(result.status, kExportProblems) << result.message;
    EXPECT_EQ(result.games, 4);
    EXPECT_EQ(result.rounds, 23);
    for (const char* table : kTables) {
        EXPECT_EQ(ReadBytes(dir.path() / table),
                  ReadBytes(fs::path(QUIB_TEST_DATA_DIR) / "study_lab_tables" / table))
            << table;
    }
}

// The server writes most words in the language of its language file.
TEST_F(ExportedLab, ALabInEnglishGivesTheSameTables) {
    ReplaceFields({{"Rundenprotokoll", "Round protocol"},
                   {"Spielprotokoll (Verweisend)", "Game protocol (Referencing)"},
                   {"Spielprotokoll", "Game protocol"},
                   {"Gewonnen", "Won"},
                   {"rot", "red"},
                   {"gelb", "yellow"},
                   {"gr\xFCn", "green"},
                   {"blau", "blue"},
                   {"Links", "Left"},
                   {"Rechts", "Right"},
                   {"Hoch", "Up"},
                   {"Runter", "Down"},
                   {"Leertaste", "Space"},
                   {"Spielernr.", "Player no."},
                   {"Spielername", "Player name"},
                   {"Kommentar", "Comment"},
                   {"Erstellt", "Created"},
                   {"Punkte", "Points"},
                   {"Runden", "Rounds"},
                   {"Spielzeit", "Play time"},
                   {"augenblicklich", "instant"},
                   {"Links Oben", "Top left"},
                   {"Rechts Unten", "Bottom right"}});
    ASSERT_NE(ReadBytes(lab() / "log/r000001.csv").find("Round protocol\n"), std::string::npos);
    ASSERT_NE(ReadBytes(lab() / "log/p000012.csv").find("Player name;"), std::string::npos);
    const ExportResult result = Export();
    EXPECT_EQ(result.status, kExportClean) << result.message;
    for (const char* table : kTables) {
        EXPECT_EQ(ReadBytes(out() / table),
                  ReadBytes(fs::path(QUIB_TEST_DATA_DIR) / "scripted_game" / table))
            << table;
    }
}

// A lab's own translation: given with --lang, or lying in the lab folder
// as the server's language files do.
TEST_F(ExportedLab, ALabInItsOwnLanguageIsReadWithItsLanguageFile) {
    ReplaceFields({{"Rundenprotokoll", "Rundenbericht"},
                   {"Spielprotokoll (Verweisend)", "Spielbericht (verweisend)"},
                   {"Spielprotokoll", "Spielbericht"},
                   {"rot", "rood"},
                   {"gelb", "geel"},
                   {"gr\xFCn", "groen"},
                   {"blau", "blauw"}});
    const std::string language =
        "[Allgemein]\nLanguage = Testisch\n[Text]\ntxt162 = Rundenbericht\n"
        "txt106 = Spielbericht\ntxt107 = (verweisend)\ntxt93 = rood\ntxt94 = geel\n"
        "txt95 = groen\ntxt96 = blauw\n";
    WriteBytes(dir.path() / "quib_server_nl.lang", language);

    const ExportResult unknown = Export();
    EXPECT_EQ(unknown.status, kExportUnreadable);
    EXPECT_NE(unknown.message.find("log/r000000.csv:1: \"Rundenbericht\" is the title of a round "
                                   "file in no known language (give the lab's language file with "
                                   "--lang)"),
              std::string::npos)
        << unknown.message;

    ExportOptions options;
    options.labFolder = lab();
    options.outFolder = out();
    options.languageFile = dir.path() / "quib_server_nl.lang";
    const ExportResult given = ExportLab(options);
    EXPECT_EQ(given.status, kExportClean) << given.message;

    fs::copy_file(dir.path() / "quib_server_nl.lang", lab() / "quib_server_nl.lang");
    const ExportResult inTheLab = Export();
    EXPECT_EQ(inTheLab.status, kExportClean) << inTheLab.message;
    for (const char* table : kTables) {
        EXPECT_EQ(ReadBytes(out() / table),
                  ReadBytes(fs::path(QUIB_TEST_DATA_DIR) / "scripted_game" / table))
            << table;
    }

    options.languageFile = dir.path() / "missing.lang";
    EXPECT_EQ(ExportLab(options).status, kExportUsage);
}

struct MissingRound {
    const char* name;
    const char* removed;
    const char* ending;
};

class MissingRoundCase : public ExportedLab, public ::testing::WithParamInterface<MissingRound> {};

TEST_P(MissingRoundCase, IsAProblemAndTheGameSaysHowItEnded) {
    fs::remove(lab() / "log" / GetParam().removed);

    const ExportResult refused = Export();
    EXPECT_EQ(refused.status, kExportProblems);
    EXPECT_FALSE(fs::exists(out() / "rounds.csv")) << "tables written without --allow-problems";
    EXPECT_NE(ReadBytes(out() / "problems.csv")
                  .find(std::string(",missing_round_file,") + GetParam().removed + " is missing"),
              std::string::npos)
        << ReadBytes(out() / "problems.csv");

    const ExportResult allowed = Export(true);
    EXPECT_EQ(allowed.status, kExportProblems);
    EXPECT_EQ(allowed.rounds, 3);
    const std::string games = ReadBytes(out() / "games.csv");
    EXPECT_NE(games.find(std::string(",4,3,3,3,21799,") + GetParam().ending + ",5-12,"),
              std::string::npos)
        << games;
}

INSTANTIATE_TEST_SUITE_P(, MissingRoundCase,
                         ::testing::Values(MissingRound{"Last", "r000003.csv",
                                                        "last_round_missing"},
                                           MissingRound{"Second", "r000001.csv", "rounds_missing"}),
                         quib::testing::CaseName());

// Every disagreement the records check finds is a row of problems.csv with
// its kind, file and line, in the order of the files.
TEST_F(ExportedLab, ProblemsAreListedWithTheirKinds) {
    fs::remove(lab() / "log2/g000000.csv");
    WriteBytes(lab() / "log/.r000004.csv.abcdefgh", "");
    Edit("log/p000005.csv", "Punkte;3;Rekord;3", "Punkte;4;Rekord;3");
    WriteBytes(lab() / "lab_id.txt", "lab-west\n");
    EXPECT_EQ(Export().status, kExportProblems);
    EXPECT_EQ(ReadBytes(out() / "problems.csv"),
              "\xEF\xBB\xBF"
              "file,line,kind,problem,lab\n"
              "log/.r000004.csv.abcdefgh,,unfinished_write,unfinished write; start the server "
              "once to complete it,lab-west\n"
              "log/g000000.csv,,missing_position_file,has no position file log2/g000000.csv "
              "beside it,lab-west\n"
              "log/p000005.csv,7,subject_total,\"Punkte: 4, but the rows add up to 3\",lab-west\n");
}

TEST_F(ExportedLab, TheTerminalShowsTheFirstTwentyProblems) {
    for (int i = 0; i < 25; ++i) {
        WriteBytes(lab() / "log" / (".r0001" + std::to_string(10 + i) + ".csv.abcdefgh"), "");
    }
    const ExportResult result = Export();
    EXPECT_EQ(result.problems, 25u);
    EXPECT_EQ(std::count(result.message.begin(), result.message.end(), '\n'), 21);
    EXPECT_TRUE(result.message.starts_with("log/.r000110.csv.abcdefgh: unfinished write"))
        << result.message;
    EXPECT_TRUE(result.message.ends_with("\n... and 5 more in problems.csv\n")) << result.message;
}

TEST_F(ExportedLab, AFileItCannotReadIsNamedWithItsLine) {
    Edit("log/r000001.csv", "A/B;gr\xFCn;", "A/B;lila;");
    const ExportResult result = Export(true);
    EXPECT_EQ(result.status, kExportUnreadable);
    EXPECT_NE(result.message.find("log/r000001.csv:22: \"lila\" is no stimulus of level 1"),
              std::string::npos)
        << result.message;
    EXPECT_NE(ReadBytes(out() / "problems.csv").find("log/r000001.csv,22,cannot_parse,"),
              std::string::npos);
    // The other rounds are still exported.
    EXPECT_EQ(result.rounds, 3);
}

// A list entry in no known language is kept with its word rather than
// leaving the game out of the tables.
TEST_F(ExportedLab, ASpeedWordOfNoKnownLanguageIsKeptAsOther) {
    Edit("log/g000000.csv", "Geschwindigkeit:;augenblicklich;augenblicklich",
         "Geschwindigkeit:;sehr schnell, \xFC"
         "beraus;sehr schnell, \xFC"
         "beraus");
    EXPECT_EQ(Export().status, kExportClean);
    EXPECT_NE(ReadBytes(out() / "games.csv")
                  .find(",1,1,\"other:sehr schnell, \xC3\xBC"
                        "beraus\",open,open,"),
              std::string::npos)
        << ReadBytes(out() / "games.csv");
}

TEST_F(ExportedLab, NeverWritesIntoTheLabFolder) {
    for (const fs::path& inside : {lab(), lab() / "export", lab() / "log" / ".." / "x"}) {
        ExportOptions options;
        options.labFolder = lab();
        options.outFolder = inside;
        const std::map<std::string, std::string> before = Snapshot(lab());
        EXPECT_EQ(ExportLab(options).status, kExportUsage) << inside;
        EXPECT_EQ(Snapshot(lab()), before) << inside;
    }
}

TEST_F(ExportedLab, AFolderWithoutRecordsIsUnreadable) {
    ExportOptions options;
    options.labFolder = dir.path() / "missing";
    options.outFolder = out();
    const ExportResult result = ExportLab(options);
    EXPECT_EQ(result.status, kExportUnreadable);
    EXPECT_NE(result.message.find("missing"), std::string::npos) << result.message;
    EXPECT_FALSE(fs::exists(out() / "games.csv"));
}

}  // namespace
}  // namespace quib::exporter
