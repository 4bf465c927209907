// The session file's writer and its start-up: what reaches the disk, in
// which order, and what happens when the disk takes nothing.

#include "server/records/session_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/file_io.h"
#include "server/records/lab_identity.h"
#include "server/records/session_file.h"
#include "server/records/session_output.h"
#include "server/records/session_start.h"
#include "testing/scratch_directory.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using quib::testing::ScratchDirectory;

// An output that takes pieces only while the test lets it.
class SwitchedOutput final : public SessionOutput {
  public:
    bool Append(std::string_view text) override {
        std::lock_guard guard(mutex);
        ++attempts;
        if (!working) {
            return false;
        }
        written.emplace_back(text);
        return true;
    }
    std::mutex mutex;
    bool working = true;
    int attempts = 0;
    std::vector<std::string> written;
};

struct Reported {
    std::mutex mutex;
    std::vector<std::string> lines;
    void Add(std::string line) {
        std::lock_guard guard(mutex);
        lines.push_back(std::move(line));
    }
};

SessionWriter::Reports ReportsInto(Reported& reported) {
    return {[&] { reported.Add("cannot write"); }, [&] { reported.Add("dropping"); },
            [&](std::size_t lost) { reported.Add("lost " + std::to_string(lost)); }};
}

std::string FileText(const fs::path& file) {
    return ReadWholeFile(file, LinkRule::Refuse).value_or("<unreadable>");
}

TEST(SessionWriter, AFailingDiskKeepsTheLinesAndTriesAgainWithTheNextOne) {
    auto output = std::make_unique<SwitchedOutput>();
    SwitchedOutput& disk = *output;
    Reported reported;
    SessionWriter writer(std::move(output), ReportsInto(reported));
    writer.Append("a\n");
    writer.AwaitQuiet();
    {
        std::lock_guard guard(disk.mutex);
        disk.working = false;
    }
    writer.Append("b\n");
    writer.AwaitQuiet();
    writer.Append("c\n");
    writer.AwaitQuiet();
    {
        std::lock_guard guard(disk.mutex);
        // One attempt per line that came: a full disk is not hammered.
        EXPECT_EQ(disk.attempts, 3);
        disk.working = true;
    }
    writer.Append("d\n");
    writer.AwaitQuiet();
    writer.Stop();
    EXPECT_EQ(disk.written, (std::vector<std::string>{"a\n", "b\n", "c\n", "d\n"}));
    // Told once, however many lines failed.
    EXPECT_EQ(reported.lines, std::vector<std::string>{"cannot write"});
}

TEST(SessionWriter, LinesBeyondTheBoundAreDroppedCountedAndReportedOnceWritingWorks) {
    auto output = std::make_unique<SwitchedOutput>();
    SwitchedOutput& disk = *output;
    disk.working = false;
    Reported reported;
    SessionWriter writer(std::move(output), ReportsInto(reported));
    for (std::size_t i = 0; i < SessionWriter::kMaxWaiting + 3; ++i) {
        writer.Append(std::to_string(i) + "\n");
    }
    writer.AwaitQuiet();
    {
        std::lock_guard guard(disk.mutex);
        disk.working = true;
    }
    writer.Stop();
    ASSERT_EQ(disk.written.size(), SessionWriter::kMaxWaiting);
    // The oldest kept, in order: the file's times never go back.
    EXPECT_EQ(disk.written.front(), "0\n");
    EXPECT_EQ(disk.written.back(), std::to_string(SessionWriter::kMaxWaiting - 1) + "\n");
    // The first two come in either order: the thread may fail its first
    // write before or after the bound is reached.
    std::sort(reported.lines.begin(), reported.lines.end());
    EXPECT_EQ(reported.lines, (std::vector<std::string>{"cannot write", "dropping", "lost 3"}));
}

TEST(SessionFileOutput, AFullDiskFailsTheAppend) {
    const int fd = ::open("/dev/full", O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    SessionFileOutput output{UniqueFd(fd)};
    EXPECT_FALSE(output.Append("2026-12-11T17:02:20.500;seat_taken;1;;;10.0.0.7;PC07;\n"));
}

TEST(SessionFileOutput, AppendsWholePiecesInOrder) {
    ScratchDirectory dir;
    const std::optional<NewSessionFile> file = CreateSessionFile(dir.path() / "sessions");
    ASSERT_TRUE(file);
    SessionFileOutput output{UniqueFd(::dup(file->fd.get()))};
    EXPECT_TRUE(output.Append("one\n"));
    EXPECT_TRUE(output.Append("two\n"));
    EXPECT_EQ(FileText(dir.path() / "sessions" / file->name), "one\ntwo\n");
}

TEST(CreateSessionFile, TakesTheFirstNumberFromOneThatNoEntryHas) {
    ScratchDirectory dir;
    const fs::path sessions = dir.path() / "sessions";
    fs::create_directory(sessions);
    WriteFileAtomically(sessions / "s000001.csv", "", WriteMode::CreateNew);
    // A dangling link and the temporary file of a rewrite take their numbers too.
    fs::create_symlink(dir.path() / "elsewhere.csv", sessions / "s000002.csv");
    WriteFileAtomically(sessions / ".s000003.csv.abcdefgh", "", WriteMode::CreateNew);
    const std::optional<NewSessionFile> file = CreateSessionFile(sessions);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, "s000004.csv");
    EXPECT_FALSE(fs::exists(dir.path() / "elsewhere.csv"));
}

TEST(CreateSessionFile, ASessionsNameThatIsALinkIsRefused) {
    ScratchDirectory dir;
    fs::create_directory(dir.path() / "outside");
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "sessions");
    EXPECT_FALSE(CreateSessionFile(dir.path() / "sessions"));
    EXPECT_TRUE(fs::is_empty(dir.path() / "outside"));
}

TEST(RepairSessionFiles, ALastLineCutShortIsRemovedAndWholeFilesAreLeftAlone) {
    ScratchDirectory dir;
    const fs::path sessions = dir.path() / "sessions";
    fs::create_directory(sessions);
    WriteFileAtomically(sessions / "s000001.csv", "a\nb\n", WriteMode::CreateNew);
    WriteFileAtomically(sessions / "s000002.csv", "a\nb\n2026-12-11T17:0", WriteMode::CreateNew);
    WriteFileAtomically(sessions / ".s000001.csv.abcdefgh", "a\n", WriteMode::CreateNew);
    // A link is never rewritten, nor what it points at.
    WriteFileAtomically(dir.path() / "outside.csv", "x\ny", WriteMode::CreateNew);
    fs::create_symlink(dir.path() / "outside.csv", sessions / "s000003.csv");

    EXPECT_EQ(RepairSessionFiles(sessions), std::vector<std::string>{"s000002.csv"});
    EXPECT_EQ(FileText(sessions / "s000001.csv"), "a\nb\n");
    EXPECT_EQ(FileText(sessions / "s000002.csv"), "a\nb\n");
    EXPECT_FALSE(fs::exists(sessions / ".s000001.csv.abcdefgh"));
    EXPECT_EQ(FileText(dir.path() / "outside.csv"), "x\ny");
    EXPECT_TRUE(RepairSessionFiles(dir.path() / "missing").empty());
}

TEST(LabIdentity, MadeOnceThenReadAndAnUnusableFileLeftAlone) {
    ScratchDirectory dir;
    const LabIdentity made = LoadOrMakeLabIdentity(dir.path(), 0xffULL);
    EXPECT_EQ(made.source, LabIdentity::Source::Made);
    EXPECT_EQ(made.id, "lab-00000000000000ff");
    EXPECT_EQ(FileText(dir.path() / kLabIdFileName), "lab-00000000000000ff\n");
    const LabIdentity read = LoadOrMakeLabIdentity(dir.path(), 0x1ULL);
    EXPECT_EQ(read.source, LabIdentity::Source::Read);
    EXPECT_EQ(read.id, made.id);

    for (const std::string text : {"lab 7\n", "", "\nlab-1\n"}) {
        ScratchDirectory other;
        WriteFileAtomically(other.path() / kLabIdFileName, text, WriteMode::CreateNew);
        const LabIdentity unusable = LoadOrMakeLabIdentity(other.path(), 0x1ULL);
        EXPECT_EQ(unusable.source, LabIdentity::Source::Unusable) << text;
        EXPECT_EQ(unusable.id, "");
        EXPECT_EQ(FileText(other.path() / kLabIdFileName), text);
    }
}

TEST(LabIdentity, ALinkIsNeitherFollowedNorReplaced) {
    ScratchDirectory dir;
    WriteFileAtomically(dir.path() / "other_id.txt", "lab-1\n", WriteMode::CreateNew);
    fs::create_symlink(dir.path() / "other_id.txt", dir.path() / kLabIdFileName);
    EXPECT_EQ(LoadOrMakeLabIdentity(dir.path(), 1).source, LabIdentity::Source::Unusable);
    fs::remove(dir.path() / kLabIdFileName);
    fs::create_symlink(dir.path() / "missing.txt", dir.path() / kLabIdFileName);
    EXPECT_EQ(LoadOrMakeLabIdentity(dir.path(), 1).source, LabIdentity::Source::Unusable);
    EXPECT_FALSE(fs::exists(dir.path() / "missing.txt"));
}

TEST(StartSession, RepairsEarlierFilesAndBeginsANewOneWithItsHeader) {
    ScratchDirectory dir;
    const fs::path sessions = dir.path() / "sessions";
    fs::create_directory(sessions);
    WriteFileAtomically(sessions / "s000001.csv", "cut", WriteMode::CreateNew);
    std::vector<std::string> log;
    const LocalTime now{2026, 12, 11, 17, 2, 16, 123};
    std::unique_ptr<SessionWriter> writer =
        StartSession(dir.path(), 0xabULL, now, ServerTexts(),
                     [&](const std::string& line) { log.push_back(line); });
    ASSERT_TRUE(writer);
    writer->Stop();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_NE(log[0].find("s000001.csv"), std::string::npos) << log[0];
    EXPECT_EQ(FileText(sessions / "s000001.csv"), "");
    const SessionFile file = ParseSessionFile(FileText(sessions / "s000002.csv"));
    EXPECT_TRUE(file.headerRead);
    EXPECT_TRUE(file.problems.empty());
    EXPECT_EQ(file.header, (SessionHeader{"s000002.csv", "lab-00000000000000ab",
                                          std::string(Version()), "2026-12-11T17:02:16.123"}));
}

}  // namespace
}  // namespace quib::server
