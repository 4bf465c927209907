#include "prefs/preferences.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tests/support/child_process.h"

namespace quib {
namespace {

namespace fs = std::filesystem;

using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

struct stat StatOf(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(::stat(file.c_str(), &status), 0) << file;
    return status;
}

// ---------------------------------------------------------------- reading

struct ReadCase {
    const char* name;
    std::string file;
    std::string group;
    std::string key;
    std::string expected;
};

std::string ReadCaseName(const ::testing::TestParamInfo<ReadCase>& read) {
    return read.param.name;
}
void PrintTo(const ReadCase& read, std::ostream* out) {
    *out << read.name;
}

class ReadTextTest : public ::testing::TestWithParam<ReadCase> {
  protected:
    ScratchDirectory dir_;
};

TEST_P(ReadTextTest, FindsTheValue) {
    const ReadCase& c = GetParam();
    const fs::path file = dir_.path() / "read.prefs";
    WriteBytes(file, c.file);
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    prefs.SelectGroup(c.group);
    EXPECT_EQ(prefs.ReadText(c.key, "(default)"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadTextTest,
    ::testing::Values(
        ReadCase{"KeyWithoutBlanks", "baseHight=300", "", "baseHight", "300"},
        ReadCase{"GroupInAnyCase", "[window]\r\nFullscreen = 1\r\n", "Window", "Fullscreen", "1"},
        ReadCase{"KeyInAnyCase", "[A]\r\nPORT=7\r\n", "a", "port", "7"},
        ReadCase{"ValueTrimmed", "k = \t 12 \t\r\n", "", "k", "12"},
        ReadCase{"EmptyValueIsNoDefault", "k =\r\n", "", "k", ""},
        ReadCase{"ValueKeepsEquals", "cmd = a=b\r\n", "", "cmd", "a=b"},
        ReadCase{"KeyBeforeBlanksAndTab", "Port \t= 7\r\n", "", "Port", "7"},
        ReadCase{"IndentedLines", "  \t[A]\r\n\t k = 1\r\n", "A", "k", "1"},
        ReadCase{"MissingKey", "[A]\r\nk=1\r\n", "A", "x", "(default)"},
        ReadCase{"KeyOfOtherGroup", "[A]\r\nk=1\r\n[B]\r\n", "B", "k", "(default)"},
        ReadCase{"GroupNotInFile", "[A]\r\nk=1\r\n", "C", "k", "(default)"},
        ReadCase{"FirstOfTwoKeys", "[A]\r\nk=first\r\nk=second\r\n", "A", "k", "first"},
        ReadCase{"OnlyFirstOfTwoGroups", "[A]\r\nk=1\r\n[B]\r\n[a]\r\nj=2\r\n", "A", "j",
                 "(default)"},
        ReadCase{"KeysBeforeFirstHeader", "k=0\r\n[A]\r\nk=1\r\n", "", "k", "0"},
        ReadCase{"CrOnlyLineEnds", "[A]\rk=1\r[B]\rk=2\r", "B", "k", "2"},
        ReadCase{"MixedLineEnds", "[A]\nk=1\r\n[B]\rk=2\n\r\nj=3", "B", "j", "3"},
        ReadCase{"HeaderWithoutBracket", "[Net\r\nPort=5\r\n", "Net", "Port", "5"},
        ReadCase{"TextAfterBracketIgnored", "[Net] ; old\r\nPort=5\r\n", "Net", "Port", "5"},
        ReadCase{"GroupNameNotTrimmed", "[ Net ]\r\nPort=5\r\n", "Net", "Port", "(default)"},
        ReadCase{"CommentIsNoKey", ";Port=5\r\n", "", "Port", "(default)"},
        ReadCase{"LineWithoutEqualsIsNoKey", "Port\r\n", "", "Port", "(default)"},
        ReadCase{"BytesWithoutMarkAsTheyStand", "k = Gar\xE7on\r\n", "", "k", "Gar\xE7on"},
        ReadCase{"MarkedFileInCp1252", "\xEF\xBB\xBF[Allgemein]\r\nLanguage = Gar\xC3\xA7on\r\n",
                 "Allgemein", "Language", "Gar\xE7on"},
        ReadCase{"MarkedFileDashAndUmlaut",
                 "\xEF\xBB\xBF[Allgemein]\r\nLanguage = Deutsch \xE2\x80\x93 \xC3\xBC\r\n",
                 "Allgemein", "Language", "Deutsch \x96 \xFC"},
        ReadCase{"MarkedFileGroupName", "\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F]\r\nk=1\r\n", "Gr\xFC\xDF",
                 "k", "1"}),
    ReadCaseName);

struct IntCase {
    const char* name;
    std::string value;
    std::int32_t expected;
};

std::string IntCaseName(const ::testing::TestParamInfo<IntCase>& read) {
    return read.param.name;
}
void PrintTo(const IntCase& read, std::ostream* out) {
    *out << read.name;
}

class ReadIntTest : public ::testing::TestWithParam<IntCase> {
  protected:
    ScratchDirectory dir_;
};

TEST_P(ReadIntTest, ReadsTheLeadingNumber) {
    const fs::path file = dir_.path() / "int.prefs";
    WriteBytes(file, "[Network]\r\nPort = " + GetParam().value + "\r\n");
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    prefs.SelectGroup("Network");
    EXPECT_EQ(prefs.ReadInt("Port", 6832), GetParam().expected);
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Values, ReadIntTest,
    ::testing::Values(IntCase{"Plain", "300", 300}, IntCase{"TrailingBlanks", "12   ", 12},
                      IntCase{"LettersReadZero", "abc", 0}, IntCase{"EmptyReadsZero", "", 0},
                      IntCase{"Negative", "-42", -42}, IntCase{"PlusSign", "+7", 7},
                      IntCase{"StopsAtNonDigit", "12abc", 12}, IntCase{"HexIsNotRead", "0x1F", 0},
                      IntCase{"SignThenBlank", "- 5", 0}, IntCase{"Largest", "2147483647", kMax},
                      IntCase{"AboveLargest", "2147483648", kMax},
                      IntCase{"FarAbove", "99999999999999999999", kMax},
                      IntCase{"Smallest", "-2147483648", kMin},
                      IntCase{"BelowSmallest", "-2147483649", kMin}),
    IntCaseName);

TEST(PreferencesTest, MissingIntegerKeyReadsTheDefault) {
    ScratchDirectory dir;
    const fs::path file = dir.path() / "int.prefs";
    WriteBytes(file, "[Network]\r\nIP = 127.0.0.1\r\n");
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    prefs.SelectGroup("Network");
    EXPECT_EQ(prefs.ReadInt("Port", 6832), 6832);
}

// ---------------------------------------------------------------- rewriting

struct RewriteCase {
    const char* name;
    std::string before;
    std::function<void(Preferences&)> edit;
    std::string after;
};

std::string RewriteCaseName(const ::testing::TestParamInfo<RewriteCase>& rewrite) {
    return rewrite.param.name;
}
void PrintTo(const RewriteCase& rewrite, std::ostream* out) {
    *out << rewrite.name;
}

class RewriteTest : public ::testing::TestWithParam<RewriteCase> {
  protected:
    ScratchDirectory dir_;
};

TEST_P(RewriteTest, WritesTheFileBack) {
    const fs::path file = dir_.path() / "rewrite.prefs";
    WriteBytes(file, GetParam().before);
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    GetParam().edit(prefs);
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), GetParam().after);
}

void WriteInto(Preferences& prefs, const char* group, const char* key, std::int32_t value) {
    prefs.SelectGroup(group);
    prefs.WriteInt(key, value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RewriteTest,
    ::testing::Values(
        RewriteCase{"OneBlankEachSideOfEquals", "[Window]\r\nbaseHight=300\r\nFullscreen=0\r\n",
                    [](Preferences& p) { WriteInto(p, "Window", "Fullscreen", 1); },
                    "[Window]\r\nbaseHight = 300\r\nFullscreen = 1\r\n"},
        RewriteCase{"CommentsGainOneBlank", ";x\r\n;  two\r\n; three\r\nk=1\r\n",
                    [](Preferences& p) { p.WriteInt("k", 2); },
                    "; x\r\n;  two\r\n; three\r\nk = 2\r\n"},
        RewriteCase{"BlankLinesVanish", "\r\n[A]\r\n\r\n  \t\r\nk=1\r\n\r\n\r\n[B]\r\n\r\n",
                    [](Preferences& p) { WriteInto(p, "A", "k", 2); }, "[A]\r\nk = 2\r\n[B]\r\n"},
        RewriteCase{"FirstOfTwoKeysReplaced", "[A]\r\nk=1\r\nk=2\r\n",
                    [](Preferences& p) { WriteInto(p, "A", "k", 9); }, "[A]\r\nk = 9\r\nk = 2\r\n"},
        RewriteCase{"KeyTakesTheGivenSpelling", "[A]\r\nPORT=1\r\n",
                    [](Preferences& p) { WriteInto(p, "a", "Port", 2); }, "[A]\r\nPort = 2\r\n"},
        RewriteCase{"NewKeyEndsItsGroup", "[A]\r\na=1\r\n; about B\r\n[B]\r\nb=2\r\n",
                    [](Preferences& p) { WriteInto(p, "A", "c", 3); },
                    "[A]\r\na = 1\r\n; about B\r\nc = 3\r\n[B]\r\nb = 2\r\n"},
        RewriteCase{"NewKeyInFirstOfTwoGroups", "[A]\r\n[B]\r\n[A]\r\n",
                    [](Preferences& p) { WriteInto(p, "A", "k", 1); },
                    "[A]\r\nk = 1\r\n[B]\r\n[A]\r\n"},
        RewriteCase{"NewKeyWithoutGroup", "x=1\r\n[A]\r\na=1\r\n",
                    [](Preferences& p) { WriteInto(p, "", "y", 2); },
                    "x = 1\r\ny = 2\r\n[A]\r\na = 1\r\n"},
        RewriteCase{"NewKeyBeforeFirstHeader", "[A]\r\na=1\r\n",
                    [](Preferences& p) { p.WriteInt("y", 2); }, "y = 2\r\n[A]\r\na = 1\r\n"},
        RewriteCase{"NewGroupAtEndAndFoundAgain", "[A]\r\na=1\r\n",
                    [](Preferences& p) {
                        WriteInto(p, "Neu", "n", 1);
                        WriteInto(p, "A", "b", 2);
                        WriteInto(p, "neu", "o", 3);
                    },
                    "[A]\r\na = 1\r\nb = 2\r\n[Neu]\r\nn = 1\r\no = 3\r\n"},
        RewriteCase{"LineWithoutEqualsKept", "  just text\r\n[A]\r\nk=1\r\n",
                    [](Preferences& p) { WriteInto(p, "A", "k", 2); },
                    "  just text\r\n[A]\r\nk = 2\r\n"},
        RewriteCase{"HeadersClosedAndCut", "[Net\r\nPort=5\r\n[B] trailing\r\n",
                    [](Preferences& p) { WriteInto(p, "Net", "Port", 6); },
                    "[Net]\r\nPort = 6\r\n[B]\r\n"},
        RewriteCase{"CrOnlyBecomesCrLf", "[A]\rk=1\r[B]\rk=2",
                    [](Preferences& p) { WriteInto(p, "B", "k", 3); },
                    "[A]\r\nk = 1\r\n[B]\r\nk = 3\r\n"},
        RewriteCase{"IntegersInDecimal", "",
                    [](Preferences& p) {
                        p.WriteInt("neg", -5);
                        p.WriteInt("min", kMin);
                    },
                    "neg = -5\r\nmin = -2147483648\r\n"},
        RewriteCase{"LineBreakInValueStaysOnItsLine", "",
                    [](Preferences& p) {
                        p.WriteText("k", "a\r\nb = c");
                        p.WriteText("j", "\n  x");
                    },
                    "k = a  b = c\r\nj = x\r\n"},
        RewriteCase{"MarkKeptAndTextsInUtf8", "\xEF\xBB\xBF[Allgemein]\nLanguage = Gar\xC3\xA7on\n",
                    [](Preferences& p) {
                        p.SelectGroup("Allgemein");
                        p.WriteText("Name", "Deutsch \x96 \xFC");
                    },
                    "\xEF\xBB\xBF\r\n[Allgemein]\r\nLanguage = Gar\xC3\xA7on\r\n"
                    "Name = Deutsch \xE2\x80\x93 \xC3\xBC\r\n"},
        RewriteCase{"UnmarkedBytesKept", "k = Gar\xE7on\r\n",
                    [](Preferences& p) { p.WriteText("j", "\xFC"); },
                    "k = Gar\xE7on\r\nj = \xFC\r\n"},
        // Written without the leading empty line, the first key would turn
        // into a byte order mark and the whole file would be read as UTF-8.
        RewriteCase{"UnmarkedFileStartingWithMarkBytes", "\r\n\xEF\xBB\xBFk=\xFC\r\n",
                    [](Preferences& p) { p.WriteInt("j", 1); },
                    "\r\n\xEF\xBB\xBFk = \xFC\r\nj = 1\r\n"}),
    RewriteCaseName);

// ---------------------------------------------------------------- lifecycle

class PreferencesFileTest : public ::testing::Test {
  protected:
    fs::path File(const char* name) const { return dir_.path() / name; }

    ScratchDirectory dir_;
};

TEST_F(PreferencesFileTest, ClientSettingsAsTheOptionsDialogWritesThem) {
    const fs::path file = File("quib_client.prefs");
    Preferences prefs;
    ASSERT_TRUE(prefs.Create(file));
    prefs.SelectGroup("Window");
    prefs.WriteInt("Fullscreen", 0);
    prefs.WriteInt("baseHight", 450);
    prefs.WriteInt("baseFontSize", 12);
    prefs.SelectGroup("Network");
    prefs.WriteText("IP", "127.0.0.1");
    prefs.WriteInt("Port", 6832);
    prefs.SelectGroup("Sonstiges");
    prefs.WriteInt("askOptions", 1);
    prefs.WriteText("Language", "quib_client_de.lang");
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file),
              "[Window]\r\nFullscreen = 0\r\nbaseHight = 450\r\nbaseFontSize = 12\r\n"
              "[Network]\r\nIP = 127.0.0.1\r\nPort = 6832\r\n"
              "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_client_de.lang\r\n");
}

TEST_F(PreferencesFileTest, CreateMakesTheFileAtOnce) {
    const fs::path file = File("new.lang");
    Preferences prefs;
    ASSERT_TRUE(prefs.Create(file));
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), "");
}

TEST_F(PreferencesFileTest, CreateReplacesAnOldFileOnlyAtClose) {
    const fs::path file = File("quib_server.prefs");
    WriteBytes(file, "\xEF\xBB\xBF[Sonstiges]\r\naskOptions = 1\r\nold = 1\r\n");
    Preferences prefs;
    ASSERT_TRUE(prefs.Create(file));
    prefs.SelectGroup("Sonstiges");
    prefs.WriteInt("askOptions", 0);
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF[Sonstiges]\r\naskOptions = 1\r\nold = 1\r\n");
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), "[Sonstiges]\r\naskOptions = 0\r\n");
}

TEST_F(PreferencesFileTest, CreateWithoutWritesEmptiesAnOldFile) {
    const fs::path file = File("old.prefs");
    WriteBytes(file, "[A]\r\nk = 1\r\n");
    Preferences prefs;
    ASSERT_TRUE(prefs.Create(file));
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), "");
}

TEST_F(PreferencesFileTest, CreateFailsWhereNoFileCanBe) {
    fs::create_directory(File("folder"));
    for (const fs::path& file : {File("missing") / "x.prefs", File("folder")}) {
        Preferences prefs;
        EXPECT_FALSE(prefs.Create(file)) << file;
        EXPECT_FALSE(prefs.IsOpen());
        prefs.WriteInt("k", 1);
        EXPECT_TRUE(prefs.Close());
    }
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"folder"});
    EXPECT_TRUE(fs::is_empty(File("folder")));
}

TEST_F(PreferencesFileTest, MissingFileReadsDefaultsAndIsWrittenAtClose) {
    const fs::path file = File("quib_client.prefs");
    Preferences prefs;
    EXPECT_FALSE(prefs.Open(file));
    EXPECT_TRUE(prefs.IsOpen());
    prefs.SelectGroup("Network");
    EXPECT_EQ(prefs.ReadInt("Port", 6832), 6832);
    EXPECT_EQ(prefs.ReadText("IP", "127.0.0.1"), "127.0.0.1");
    EXPECT_FALSE(fs::exists(file));
    prefs.WriteInt("Port", 7000);
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), "[Network]\r\nPort = 7000\r\n");
}

TEST_F(PreferencesFileTest, MissingFileWithoutWritesStaysMissing) {
    Preferences prefs;
    EXPECT_FALSE(prefs.Open(File("quib_client.prefs")));
    EXPECT_TRUE(prefs.Close());
    EXPECT_TRUE(NamesIn(dir_.path()).empty());
}

TEST_F(PreferencesFileTest, CloseWithoutWritesLeavesTheFileUntouched) {
    const fs::path file = File("quib_server.prefs");
    const std::string bytes = ";x\r\n\r\n[Sonstiges]\nasKoptions=0\r\n";
    WriteBytes(file, bytes);
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(24));
    const struct stat before = StatOf(file);
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    prefs.SelectGroup("Sonstiges");
    EXPECT_EQ(prefs.ReadInt("askOptions", 1), 0);
    EXPECT_TRUE(prefs.Close());
    const struct stat after = StatOf(file);
    EXPECT_EQ(ReadBytes(file), bytes);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

TEST_F(PreferencesFileTest, RewriteKeepsTheModeAndLeavesNoOtherFile) {
    const fs::path file = File("quib_server.prefs");
    WriteBytes(file, "[Sonstiges]\r\naskOptions=1\r\n");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(file));
    prefs.SelectGroup("Sonstiges");
    prefs.WriteInt("askOptions", 0);
    EXPECT_TRUE(prefs.Close());
    EXPECT_EQ(ReadBytes(file), "[Sonstiges]\r\naskOptions = 0\r\n");
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0640u);
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"quib_server.prefs"});
}

TEST_F(PreferencesFileTest, LinkStaysALinkAndItsTargetIsRewritten) {
    const fs::path target = File("shared.prefs");
    const fs::path link = File("quib_client.prefs");
    WriteBytes(target, "k=1\r\n");
    fs::create_symlink(target.filename(), link);
    Preferences prefs;
    ASSERT_TRUE(prefs.Open(link));
    prefs.WriteInt("k", 2);
    EXPECT_TRUE(prefs.Close());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "k = 2\r\n");
    EXPECT_EQ(NamesIn(dir_.path()),
              (std::vector<std::string>{"quib_client.prefs", "shared.prefs"}));
}

TEST_F(PreferencesFileTest, OpeningAnotherFileSavesTheCurrentOne) {
    const fs::path first = File("quib_client.prefs");
    const fs::path second = File("quib_client_de.lang");
    WriteBytes(first, "[Sonstiges]\r\n");
    WriteBytes(second, "[Allgemein]\r\nLanguage = Deutsch\r\n");
    {
        Preferences prefs;
        ASSERT_TRUE(prefs.Open(first));
        prefs.SelectGroup("Sonstiges");
        prefs.WriteInt("askOptions", 0);
        ASSERT_TRUE(prefs.Open(second));
        EXPECT_EQ(ReadBytes(first), "[Sonstiges]\r\naskOptions = 0\r\n");
        EXPECT_EQ(prefs.ReadInt("askOptions", -1), -1) << "nothing carried over";
        prefs.SelectGroup("Allgemein");
        prefs.WriteText("Language", "Deutsch (de)");
        ASSERT_TRUE(prefs.Create(first));
        EXPECT_EQ(ReadBytes(second), "[Allgemein]\r\nLanguage = Deutsch (de)\r\n");
        prefs.WriteInt("k", 1);
    }
    EXPECT_EQ(ReadBytes(first), "k = 1\r\n") << "written when the owner goes away";
}

// ------------------------------------------------- permissions and failures

using quib::testing::kCannotDropRights;
using quib::testing::LimitFileSize;
using quib::testing::RunAsOrdinaryUser;
using quib::testing::RunInChild;

constexpr int kOpened = 1;
constexpr int kClosed = 2;

// Opens `file`, reads the port, writes `value` as the new port, closes, and
// tells which of Open (with the port read) and Close reported success.
int EditAndClose(const fs::path& file, const std::string& value) {
    Preferences prefs;
    const bool opened = prefs.Open(file);
    prefs.SelectGroup("Network");
    const bool readable = prefs.ReadInt("Port", 0) == 6832;
    prefs.WriteText("Port", value);
    const bool closed = prefs.Close();
    return (opened && readable ? kOpened : 0) | (closed ? kClosed : 0);
}

class PermissionTest : public PreferencesFileTest {
  protected:
    void SetUp() override {
        file_ = File("quib_client.prefs");
        WriteBytes(file_, kBefore);
        before_ = StatOf(file_);
    }

    void SetModes(mode_t directory, mode_t file) {
        ASSERT_EQ(::chmod(dir_.path().c_str(), directory), 0);
        ASSERT_EQ(::chmod(file_.c_str(), file), 0);
    }

    // The file still holds its old bytes in its old inode, and nothing else
    // was left in the directory.
    void ExpectUntouched() {
        EXPECT_EQ(ReadBytes(file_), kBefore);
        EXPECT_EQ(StatOf(file_).st_ino, before_.st_ino);
        EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"quib_client.prefs"});
    }

    static constexpr const char* kBefore = "[Network]\r\n\r\nPort = 6832\r\n; a long comment\r\n";
    fs::path file_;
    struct stat before_ {};
};

TEST_F(PermissionTest, ReadOnlyFileOpensAndItsWritesAreDropped) {
    SetModes(0777, 0444);
    const int result = RunAsOrdinaryUser([&] { return EditAndClose(file_, "1"); });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, kOpened | kClosed);
    ExpectUntouched();
}

TEST_F(PermissionTest, UnreadableFileIsNeverReplaced) {
    SetModes(0777, 0200);
    const int result = RunAsOrdinaryUser([&] { return EditAndClose(file_, "1"); });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, kClosed) << "Open fails, writes are dropped";
    ExpectUntouched();
}

TEST_F(PermissionTest, LockedDirectoryRewritesTheFileInPlace) {
    SetModes(0755, 0666);
    const int result = RunAsOrdinaryUser([&] { return EditAndClose(file_, "1"); });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, kOpened | kClosed);
    EXPECT_EQ(ReadBytes(file_), "[Network]\r\nPort = 1\r\n; a long comment\r\n");
    EXPECT_EQ(StatOf(file_).st_ino, before_.st_ino);
    EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"quib_client.prefs"});
}

TEST_F(PermissionTest, FullDiskLeavesTheOldFile) {
    const std::string longValue(500, '7');
    const int result = RunInChild([&] {
        LimitFileSize(100);
        return EditAndClose(file_, longValue);
    });
    EXPECT_EQ(result, kOpened) << "Close reports the failed write";
    ExpectUntouched();
}

TEST_F(PermissionTest, FullDiskLeavesTheOldFileWhenRewritingInPlace) {
    SetModes(0755, 0666);
    const std::string longValue(500, '7');
    const int result = RunAsOrdinaryUser([&] {
        LimitFileSize(100);
        return EditAndClose(file_, longValue);
    });
    if (result == kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, kOpened) << "Close reports the failed write";
    ExpectUntouched();
}

}  // namespace
}  // namespace quib
