#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"

namespace quib {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

class AtomicFileTest : public ::testing::Test {
  protected:
    ScratchDirectory dir_;
    fs::path file_ = dir_.path() / "p000001.csv";
};

TEST_F(AtomicFileTest, CreatesTheFileWithExactlyTheBytes) {
    const std::string bytes("a;b\r\n\xE4\0z", 8);
    EXPECT_EQ(WriteFileAtomically(file_, bytes, WriteMode::CreateNew), WriteResult::Written);
    EXPECT_EQ(ReadBytes(file_), bytes);
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"p000001.csv"});
}

TEST_F(AtomicFileTest, CreateNeverReplacesAnExistingFile) {
    WriteBytes(file_, "old");
    EXPECT_EQ(WriteFileAtomically(file_, "new", WriteMode::CreateNew), WriteResult::AlreadyExists);
    EXPECT_EQ(ReadBytes(file_), "old");
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"p000001.csv"});
}

TEST_F(AtomicFileTest, ReplaceKeepsThePermissionBits) {
    WriteBytes(file_, "old content that is longer");
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    EXPECT_EQ(WriteFileAtomically(file_, "new", WriteMode::Replace), WriteResult::Written);
    EXPECT_EQ(ReadBytes(file_), "new");
    struct stat status {};
    ASSERT_EQ(::stat(file_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"p000001.csv"});
}

TEST_F(AtomicFileTest, ReplaceWritesThroughALink) {
    const fs::path target = dir_.path() / "target.csv";
    WriteBytes(target, "old");
    fs::create_symlink(target, file_);
    EXPECT_EQ(WriteFileAtomically(file_, "new", WriteMode::Replace), WriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(ReadBytes(target), "new");
}

// Under LinkRule::Refuse a link of the file's name, to a file or to
// nothing, is neither read nor prepared for replacing: the file it points
// at stays, nothing appears where it dangles, no temporary file is left.
TEST_F(AtomicFileTest, RefusingLinksLeavesWhatTheyPointAt) {
    const fs::path target = dir_.path() / "target.csv";
    fs::create_symlink(target, file_);
    for (const bool dangling : {true, false}) {
        SCOPED_TRACE(dangling ? "dangling" : "to a file");
        if (!dangling) {
            WriteBytes(target, "old");
        }
        EXPECT_EQ(ReadWholeFile(file_, LinkRule::Refuse), std::nullopt);
        EXPECT_FALSE(PrepareReplacement(file_, "new", LinkRule::Refuse).has_value());
        EXPECT_TRUE(fs::is_symlink(file_));
        EXPECT_EQ(fs::exists(target), !dangling);
        EXPECT_EQ(NamesIn(dir_.path()).size(), dangling ? 1u : 2u);
    }
    EXPECT_EQ(ReadBytes(target), "old");
}

// The rename fails after the bytes were written: the temporary file must go.
TEST_F(AtomicFileTest, FailedRenameLeavesNoTemporaryFile) {
    fs::create_directory(file_);
    WriteBytes(file_ / "inside", "kept");
    for (const WriteMode mode : {WriteMode::Replace, WriteMode::CreateNew}) {
        EXPECT_NE(WriteFileAtomically(file_, "new", mode), WriteResult::Written);
        EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"p000001.csv"});
        EXPECT_EQ(ReadBytes(file_ / "inside"), "kept");
    }
}

TEST_F(AtomicFileTest, MissingFolderFails) {
    const fs::path file = dir_.path() / "log" / "p000000.csv";
    EXPECT_EQ(WriteFileAtomically(file, "x", WriteMode::CreateNew), WriteResult::NoTemporaryFile);
    EXPECT_EQ(WriteFileAtomically(file, "x", WriteMode::Replace), WriteResult::NoTemporaryFile);
    EXPECT_TRUE(NamesIn(dir_.path()).empty());
}

TEST_F(AtomicFileTest, ReadsAWholeFileButNoFolder) {
    const std::string bytes("x\0y\r\n", 5);
    WriteBytes(file_, bytes);
    EXPECT_EQ(ReadWholeFile(file_), bytes);
    EXPECT_FALSE(ReadWholeFile(dir_.path()));
    EXPECT_FALSE(ReadWholeFile(dir_.path() / "missing.csv"));
}

}  // namespace
}  // namespace quib
