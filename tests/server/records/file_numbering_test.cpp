#include "server/records/file_numbering.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;
using testing::WriteBytes;

struct SixDigitsCase {
    const char* name;
    std::int32_t number;
    const char* expected;
};

class SixDigitsTest : public ::testing::TestWithParam<SixDigitsCase> {};

TEST_P(SixDigitsTest, PadsToSixDigitsAndNeverCuts) {
    EXPECT_EQ(SixDigits(GetParam().number), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, SixDigitsTest,
                         ::testing::Values(SixDigitsCase{"Zero", 0, "000000"},
                                           SixDigitsCase{"Small", 42, "000042"},
                                           SixDigitsCase{"Largest", 999999, "999999"},
                                           // Cut to six digits it would be 100000.
                                           SixDigitsCase{"SevenDigits", 1000000, "1000000"}),
                         quib::testing::CaseName{});

enum class Kind { File, Directory, DanglingLink };

struct Entry {
    const char* name;
    Kind kind;
};

struct NextFreeCase {
    const char* name;
    char prefix;
    std::vector<Entry> present;
    std::int32_t expected;
};

class NextFreeNumberTest : public ::testing::TestWithParam<NextFreeCase> {};

TEST_P(NextFreeNumberTest, TakesTheSmallestUnusedName) {
    ScratchDirectory dir;
    for (const Entry& entry : GetParam().present) {
        const fs::path path = dir.path() / entry.name;
        if (entry.kind == Kind::File) {
            WriteBytes(path, "x");
        } else if (entry.kind == Kind::Directory) {
            fs::create_directory(path);
        } else {
            fs::create_symlink(dir.path() / "nowhere", path);
        }
    }
    EXPECT_EQ(NextFreeNumber(dir.path(), GetParam().prefix), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Directories, NextFreeNumberTest,
    ::testing::Values(
        NextFreeCase{"EmptyFolder", 'p', {}, 0},
        NextFreeCase{
            "GapIsFilled", 'p', {{"p000000.csv", Kind::File}, {"p000002.csv", Kind::File}}, 1},
        NextFreeCase{"DirectoryCountsAsTaken",
                     'p',
                     {{"p000000.csv", Kind::File}, {"p000001.csv", Kind::Directory}},
                     2},
        NextFreeCase{"DanglingLinkCountsAsTaken", 'p', {{"p000000.csv", Kind::DanglingLink}}, 1},
        NextFreeCase{"OtherPrefixIsIgnored",
                     'g',
                     {{"p000000.csv", Kind::File}, {"g000001.csv", Kind::File}},
                     0},
        NextFreeCase{"GameFilesCountForGames",
                     'g',
                     {{"g000000.csv", Kind::File}, {"g000001.csv", Kind::File}},
                     2}),
    quib::testing::CaseName{});

TEST(NextFreeNumberTest, MissingFolderStartsAtZero) {
    ScratchDirectory dir;
    EXPECT_EQ(NextFreeNumber(dir.path() / "log", 'p'), 0);
}

}  // namespace
}  // namespace quib::server
