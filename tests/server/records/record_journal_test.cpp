// Start-up recovery acts only on the lab folder's own record files: a
// journal naming anything else is refused and reported, a journal of the
// version before (absolute paths) still completes, in place and after the
// lab folder was moved.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "server/core/texts.h"
#include "server/records/record_transaction.h"
#include "server/records/record_writer.h"
#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"
#include "tests/support/folder_snapshot.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using quib::testing::FolderSnapshot;
using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

std::string JournalOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string text;
    for (const auto& [temp, target] : entries) {
        text += temp + '\0' + target + '\0';
    }
    return text;
}

// A lab folder "lab" with a round whose journal was written: r000000.csv is
// staged (".r000000.csv.qwertzui", "new") over its old content ("old");
// r000001.csv is a round that must stay ("keep"). Beside the lab, a folder
// "outside" with files a crafted journal might aim at.
class CraftedJournal : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folders.log);
        fs::create_directories(folders.log2);
        fs::create_directories(outside());
        WriteBytes(folders.log / "r000000.csv", "old");
        WriteBytes(folders.log / ".r000000.csv.qwertzui", "new");
        WriteBytes(folders.log / "r000001.csv", "keep");
        WriteBytes(outside() / "r000001.csv", "outside");
        WriteBytes(outside() / ".r000001.csv.abcdefgh", "crafted");
        WriteBytes(outside() / "x", "outside");
        WriteBytes(outside() / ".x.abcdefgh", "crafted");
    }

    fs::path outside() const { return dir.path() / "outside"; }

    // Recovery as the server's start runs it; the log view's lines.
    std::vector<std::string> Recover() {
        std::vector<std::string> lines;
        RecordWriter writer(texts, folders, nullptr,
                            [&lines](const std::string& line) { lines.push_back(line); });
        writer.RecoverUnfinishedWrites();
        return lines;
    }

    ScratchDirectory dir;
    const WorkFolders folders = WorkFolders::In(dir.path() / "lab");
    const ServerTexts texts;
};

struct CraftedEntry {
    const char* name;
    std::string temp;    // as written into the journal; "@" stands for the scratch folder
    std::string target;  // the same
    std::string shown;   // what the log view names after the refusal text
    void (*prepare)(const fs::path& lab, const fs::path& outside) = nullptr;
};

void PrintTo(const CraftedEntry& c, std::ostream* os) {
    *os << c.name;
}

std::string InScratch(std::string path, const fs::path& scratch) {
    if (path.starts_with('@')) {
        path.replace(0, 1, scratch.string());
    }
    return path;
}

const CraftedEntry kCraftedEntries[] = {
    {"UpOutOfTheFolder", "../outside/.r000001.csv.abcdefgh", "../outside/r000001.csv",
     "../outside/r000001.csv"},
    {"AbsolutePathElsewhere", "@/outside/.x.abcdefgh", "@/outside/x", "@/outside/x"},
    {"LogThenUpTwice", "log/../../outside/.r000001.csv.abcdefgh", "log/../../outside/r000001.csv",
     "log/../../outside/r000001.csv"},
    {"NotARecordName", "log/.notes.txt.abcdefgh", "log/notes.txt", "log/notes.txt",
     [](const fs::path& lab, const fs::path&) {
         WriteBytes(lab / "log/.notes.txt.abcdefgh", "crafted");
     }},
    {"RoundFileInThePositionFolder", "log2/.r000001.csv.abcdefgh", "log2/r000001.csv",
     "log2/r000001.csv",
     [](const fs::path& lab, const fs::path&) {
         WriteBytes(lab / "log2/.r000001.csv.abcdefgh", "crafted");
     }},
    {"TemporaryFileOfAnotherTarget", "log/.r000005.csv.abcdefgh", "log/r000001.csv",
     "log/.r000005.csv.abcdefgh",
     [](const fs::path& lab, const fs::path&) {
         WriteBytes(lab / "log/.r000005.csv.abcdefgh", "crafted");
     }},
    {"TemporaryFileInTheOtherFolder", "log2/.r000001.csv.abcdefgh", "log/r000001.csv",
     "log2/.r000001.csv.abcdefgh",
     [](const fs::path& lab, const fs::path&) {
         WriteBytes(lab / "log2/.r000001.csv.abcdefgh", "crafted");
     }},
    // Renamed into place, the link would make the round file a way out.
    {"TemporaryFileIsALink", "log/.r000001.csv.abcdefgh", "log/r000001.csv",
     "log/.r000001.csv.abcdefgh",
     [](const fs::path& lab, const fs::path& outside) {
         fs::create_symlink(outside / "r000001.csv", lab / "log/.r000001.csv.abcdefgh");
     }},
    {"ControlBytesInTheName", "log/.r\n1\x1b.csv.abcdefgh", "log/r\n1\x1b\\.csv",
     "log/r\\x0A1\\x1B\\\\.csv"},
};

class CraftedJournalEntry : public CraftedJournal,
                            public ::testing::WithParamInterface<CraftedEntry> {};

// Nothing outside the lab folder changes, nothing is put where a record
// file is unless the journal's entry is one of ours, and the refusal is in
// the log view; the round's entry that is fine is still completed.
TEST_P(CraftedJournalEntry, IsRefusedAndReportedWhileTheRoundIsCompleted) {
    const CraftedEntry& c = GetParam();
    if (c.prepare != nullptr) {
        c.prepare(folders.log.parent_path(), outside());
    }
    WriteBytes(folders.log / std::string(kJournalName),
               JournalOf({{"log/.r000000.csv.qwertzui", "log/r000000.csv"},
                          {InScratch(c.temp, dir.path()), InScratch(c.target, dir.path())}}));
    const auto outsideBefore = FolderSnapshot(outside());

    const std::vector<std::string> lines = Recover();

    EXPECT_EQ(FolderSnapshot(outside()), outsideBefore);
    EXPECT_EQ(ReadBytes(folders.log / "r000001.csv"), "keep");
    EXPECT_EQ(ReadBytes(folders.log / "r000000.csv"), "new");
    EXPECT_FALSE(fs::exists(folders.log / "notes.txt"));
    EXPECT_FALSE(fs::exists(folders.log2 / "r000001.csv"));
    EXPECT_FALSE(fs::exists(folders.log / std::string(kJournalName)));
    const std::string refusal =
        texts[txt::kJournalEntryRefused] + " " + InScratch(c.shown, dir.path());
    EXPECT_NE(std::find(lines.begin(), lines.end(), refusal), lines.end())
        << ::testing::PrintToString(lines);
}

INSTANTIATE_TEST_SUITE_P(, CraftedJournalEntry, ::testing::ValuesIn(kCraftedEntries),
                         quib::testing::CaseName());

// A journal's text in the log view is one line, whatever bytes and length
// the journal holds.
TEST(ShownJournalText, IsOneShortLineOfPrintableCharacters) {
    std::string bytes = "log/";
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    bytes += std::string(500, 'x');
    const std::string shown = ShownJournalText(bytes);
    EXPECT_TRUE(shown.ends_with("...")) << shown;
    EXPECT_LE(shown.size(), 160u + 3u + 3u);  // an escape may straddle the cut
    for (const char c : shown) {
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(static_cast<unsigned char>(c));
    }
    EXPECT_TRUE(shown.starts_with("log/\\x00\\x01")) << shown;
}

// A lab that upgraded with a journal pending: its entries are absolute
// paths of the place the lab folder had when the run was killed.
struct OldJournalCase {
    const char* name;
    bool moved;  // the lab folder was moved after the crash
    // log/ is a link to a folder "records" on another disk, which the
    // version before resolved into the journal's paths.
    bool logLinked;
};

void PrintTo(const OldJournalCase& c, std::ostream* os) {
    *os << c.name;
}

class OldJournal : public ::testing::TestWithParam<OldJournalCase> {};

TEST_P(OldJournal, IsCompletedInTheFolderItLiesIn) {
    ScratchDirectory dir;
    const fs::path written = dir.path() / "lab";
    const fs::path lab = GetParam().moved ? dir.path() / "stick" / "lab" : written;
    const WorkFolders folders = WorkFolders::In(lab);
    const fs::path records = dir.path() / "disk" / "records";
    fs::create_directories(folders.log2);
    if (GetParam().logLinked) {
        fs::create_directories(records);
        fs::create_directory_symlink(records, folders.log);
    } else {
        fs::create_directories(folders.log);
    }
    // Where the version before saw a file below the lab folder.
    const auto writtenPath = [&](const fs::path& file) {
        const bool resolved = GetParam().logLinked && file.parent_path() == "log";
        return (resolved ? records / file.filename() : written / file).string();
    };
    const std::vector<std::pair<fs::path, const char*>> staged = {
        {"log/r000004.csv", "round"},
        {"log/g000002.csv", "game"},
        {"log2/g000002.csv", "positions"},
        {"log/p000003.csv", "subject"},
    };
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& [file, content] : staged) {
        const fs::path temp = file.parent_path() / ("." + file.filename().string() + ".mnbvcxyz");
        WriteBytes(lab / temp, content);
        entries.emplace_back(writtenPath(temp), writtenPath(file));
    }
    WriteBytes(folders.log / std::string(kJournalName), JournalOf(entries));

    std::vector<std::string> lines;
    const ServerTexts texts;
    RecordWriter writer(texts, folders, nullptr,
                        [&lines](const std::string& line) { lines.push_back(line); });
    writer.RecoverUnfinishedWrites();

    for (const auto& [file, content] : staged) {
        EXPECT_EQ(ReadBytes(lab / file), content) << file;
    }
    EXPECT_EQ(NamesIn(folders.log),
              (std::vector<std::string>{"g000002.csv", "p000003.csv", "r000004.csv"}));
    EXPECT_EQ(NamesIn(folders.log2), std::vector<std::string>{"g000002.csv"});
    EXPECT_EQ(lines,
              std::vector<std::string>{"Spiel/Runde gespeichert: g000002.csv / r000004.csv"});
    if (GetParam().moved) {
        EXPECT_FALSE(fs::exists(written));
    }
}

INSTANTIATE_TEST_SUITE_P(, OldJournal,
                         ::testing::Values(OldJournalCase{"InPlace", false, false},
                                           OldJournalCase{"AfterAMove", true, false},
                                           OldJournalCase{"InPlaceWithLogALink", false, true}),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::server
