// The record files agree after any fault: writes that fail for a round (a
// full disk, folders that take no file) and a server killed at any step of a
// round's writes. Once writing works again (or after the restart) every round
// that counted is in its round file, in one row of its game file, in its
// position lines and in both subjects' totals and rows, and no hidden
// temporary file is left.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/key_codes.h"
#include "server/engine/engine.h"
#include "server/records/csv_text.h"
#include "server/records/record_transaction.h"
#include "server/records/records_check.h"
#include "server/records/subject_format.h"
#include "testing/scratch_directory.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/records_agree.h"

namespace {

// Every step of a file write that a crash can fall between: flushing a file
// or a folder, renaming, removing. Armed, the process is killed at the step
// the count reaches; -1 leaves every step alone.
std::atomic<int> gStepsBeforeKill{-1};

void StepOfAWrite() {
    if (gStepsBeforeKill.load() >= 0 && gStepsBeforeKill.fetch_sub(1) == 0) {
        ::raise(SIGKILL);
    }
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

// The test program's own definitions take the place of the C library's for
// all code linked into it, the record writer's included.
extern "C" int fsync(int fd) {
    StepOfAWrite();
    static const auto real = Real<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    StepOfAWrite();
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    return real(from, to);
}

extern "C" int unlink(const char* path) noexcept {
    StepOfAWrite();
    static const auto real = Real<int (*)(const char*)>("unlink");
    return real(path);
}

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;

// Counts the failure boxes instead of showing them.
struct CountingBoxes : MessageSink {
    int count = 0;
    void ShowMessage(const std::string&, const std::string&) override { ++count; }
};

struct RecordsSummary {
    int rounds = 0;                        // round files in log/
    std::vector<long long> subjectRounds;  // Anna's and Ben's rounds in all
};

// The rounds total of a subject file ("Runden;<n>;Spielzeit;...").
long long SubjectRounds(const fs::path& file) {
    const std::string text = ReadWholeFile(file).value_or("");
    for (const std::string_view line : SplitLines(text)) {
        if (TrimSpaces(CsvField(line, 1)) == "Runden") {
            return std::stoll(std::string(CsvField(line, 2)));
        }
    }
    return -1;
}

// With the records check's problems as test failures (none is hidden, every
// round is in all its files), what the folder holds.
RecordsSummary ExpectRecordsAgree(const fs::path& workDir) {
    testing::ExpectRecordsAgree(workDir);
    RecordsSummary summary;
    summary.rounds = CheckRecords(workDir, ServerTexts()).rounds;
    for (const char* subject : {"p000003.csv", "p000007.csv"}) {
        summary.subjectRounds.push_back(SubjectRounds(workDir / "log" / subject));
    }
    return summary;
}

constexpr LocalTime kDate = {2024, 3, 9, 14, 5, 7};

// One run of the server on a lab folder: its engine, with Anna (p000003.csv)
// in seat 0 and Ben (p000007.csv) in seat 1, playing rounds as the network
// thread does and writing their files.
class LabServer {
  public:
    LabServer(const WorkFolders& folders, MessageSink* boxes)
        : engine(state, texts, folders, boxes) {
        const char* numbers[] = {"000003", "000007"};
        for (int s = 0; s < kSeats; ++s) {
            state.subjects[s].subjectNumber = s == 0 ? 3 : 7;
            state.subjects[s].subjectName = s == 0 ? "Anna" : "Ben";
            state.subjects[s].subjectFile = SubjectFilePath(folders.log.parent_path(), numbers[s]);
        }
        engine.game().localClock = [] { return kDate; };
        engine.PrepareStart();
    }

    void BeginGame(std::uint32_t ms) { engine.game().BeginGameRecord(ms, kDate); }

    // A round both players end at once on their start cells; true when its
    // files were written.
    bool PlayRound(std::uint32_t setUpMs) {
        Game& game = engine.game();
        for (SeatRecord& seat : game.seats) {
            seat.level = 1;
            seat.pictureName = "grafik/figur0.png";
        }
        game.BeginRoundRecord(setUpMs);
        game.LogRoundEvent(RoundStartEvent, -1, -1, setUpMs + 1000);
        game.LogRoundEvent(KeyEvent, kKeySpace, 0, setUpMs + 2000);
        game.LogRoundEvent(KeyEvent, kKeySpace, 1, setUpMs + 2100);
        game.roundRecord.endMs = setUpMs + 2100;
        game.roundRecord.won = 1;
        game.RecordRound(setUpMs + 2100);
        return engine.WriteRound(*game.TakeFinishedRound()).roundSaved;
    }

    ServerState state;
    ServerTexts texts;
    Engine engine;
};

// log/ and log2/ with two freshly created subjects.
WorkFolders NewLab(const fs::path& dir) {
    const WorkFolders folders = WorkFolders::In(dir);
    fs::create_directories(folders.log);
    fs::create_directories(folders.log2);
    const ServerTexts texts;
    WriteFileAtomically(folders.log / "p000003.csv", NewSubjectFileText(texts, 3, "Anna", kDate),
                        WriteMode::CreateNew);
    WriteFileAtomically(folders.log / "p000007.csv", NewSubjectFileText(texts, 7, "Ben", kDate),
                        WriteMode::CreateNew);
    return folders;
}

struct FailingWrites {
    const char* name;
    // Makes writing fail, and work again, inside the child that plays.
    void (*fail)(const WorkFolders& folders);
    void (*mend)(const WorkFolders& folders);
    bool asOrdinaryUser;
};

void SetFileSizeLimit(rlim_t bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

void SetFolderModes(const WorkFolders& folders, mode_t mode) {
    ::chmod(folders.log.c_str(), mode);
    ::chmod(folders.log2.c_str(), mode);
}

const FailingWrites kFailingWrites[] = {
    // A full disk, as the file size limit makes every longer write fail.
    {"FullDisk",
     [](const WorkFolders&) {
         ::signal(SIGXFSZ, SIG_IGN);
         SetFileSizeLimit(64);
     },
     [](const WorkFolders&) { SetFileSizeLimit(RLIM_INFINITY); }, false},
    // Folders that take no new file, for a user who cannot override that.
    {"FoldersTakeNoFile", [](const WorkFolders& f) { SetFolderModes(f, 0555); },
     [](const WorkFolders& f) { SetFolderModes(f, 0755); }, true},
};

class WritesFailingForARound : public ::testing::TestWithParam<FailingWrites> {};

// Round 2 cannot be written; round 3 can: both go out with round 3, in
// order, and every file counts three rounds.
TEST_P(WritesFailingForARound, AreMadeUpWhenWritingWorksAgain) {
    const FailingWrites& c = GetParam();
    ScratchDirectory dir;
    const WorkFolders folders = NewLab(dir.path());
    if (c.asOrdinaryUser && ::geteuid() == 0) {
        // The ordinary user owns the lab, so that it can mend the folders'
        // modes itself.
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            ::chown(entry.path().c_str(), 65534, 65534);
        }
        ::chown(dir.path().c_str(), 65534, 65534);
    }
    const auto play = [&] {
        CountingBoxes boxes;
        LabServer server(folders, &boxes);
        server.BeginGame(50000);
        const bool first = server.PlayRound(51000);
        c.fail(folders);
        const bool second = server.PlayRound(60000);
        c.mend(folders);
        const bool third = server.PlayRound(70000);
        const bool held = server.engine.game().roundRecord.fileName == "r000002.csv";
        return first && !second && third && held && boxes.count > 0 ? 0 : 1;
    };
    const int result =
        c.asOrdinaryUser ? quib::testing::RunAsOrdinaryUser(play) : quib::testing::RunInChild(play);
    if (result == quib::testing::kCannotDropRights) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(result, 0);
    const RecordsSummary summary = ExpectRecordsAgree(dir.path());
    EXPECT_EQ(summary.rounds, 3);
    EXPECT_EQ(summary.subjectRounds, (std::vector<long long>{3, 3}));
}

INSTANTIATE_TEST_SUITE_P(, WritesFailingForARound, ::testing::ValuesIn(kFailingWrites),
                         quib::testing::CaseName());

constexpr int kMostSteps = 200;  // far more than a round's writes take

// A server on the lab plays one round, then is killed at step `step` of
// the second round's writes; true when it was killed (the writes took
// fewer steps and ended normally otherwise).
bool KilledAtStepOfTheSecondRound(const WorkFolders& folders, int step) {
    const pid_t child = ::fork();
    if (child == 0) {
        LabServer server(folders, nullptr);
        server.BeginGame(50000);
        if (!server.PlayRound(51000)) {
            ::_exit(2);
        }
        gStepsBeforeKill = step;
        const bool second = server.PlayRound(60000);
        gStepsBeforeKill = -1;
        ::_exit(second ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
    return killed;
}

// The server is killed at each step of a round's writes in turn, then
// started again on the same folder: the killed round is in all its files or
// in none, nothing hidden is left, and the next game's round is written as
// usual.
TEST(KilledWhileWriting, EveryStepLeavesFilesThatAgreeAfterTheRestart) {
    bool finished = false;
    for (int step = 0; step < kMostSteps && !finished; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        ScratchDirectory dir;
        const WorkFolders folders = NewLab(dir.path());
        finished = !KilledAtStepOfTheSecondRound(folders, step);

        CountingBoxes boxes;
        LabServer restarted(folders, &boxes);
        const RecordsSummary afterKill = ExpectRecordsAgree(dir.path());
        EXPECT_TRUE(afterKill.rounds == 1 || afterKill.rounds == 2) << afterKill.rounds;
        if (finished) {
            EXPECT_EQ(afterKill.rounds, 2);
        }
        restarted.BeginGame(90000);
        EXPECT_TRUE(restarted.PlayRound(91000));
        const RecordsSummary after = ExpectRecordsAgree(dir.path());
        EXPECT_EQ(after.rounds, afterKill.rounds + 1);
        EXPECT_EQ(boxes.count, 0);
    }
    EXPECT_TRUE(finished) << "a round's writes took more than " << kMostSteps << " steps";
}

// The server is killed after a round's journal was written and before its
// renames were all done; then the lab folder is copied (to the analysis
// computer) and moved (onto a stick), and the server started in the copy
// and in the moved folder. Both recover the files that recovery in place
// gives, every round is in them, and the folder copied from is left as it
// was: the journal names the files relative to the lab folder it lies in.
TEST(KilledWhileWriting, AJournalIsCompletedAfterTheLabFolderWasMovedOrCopied) {
    int crashesAtTheJournal = 0;
    bool finished = false;
    for (int step = 0; step < kMostSteps && !finished; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        ScratchDirectory dir;
        const fs::path original = dir.path() / "lab";
        const WorkFolders folders = NewLab(original);
        finished = !KilledAtStepOfTheSecondRound(folders, step);
        if (finished || !fs::exists(folders.log / std::string(kJournalName))) {
            continue;  // the other steps: EveryStepLeavesFilesThatAgreeAfterTheRestart
        }
        ++crashesAtTheJournal;
        const auto crashed = quib::testing::FolderSnapshot(original);
        const fs::path kept = dir.path() / "kept";
        fs::copy(original, kept, fs::copy_options::recursive);

        const fs::path copy = dir.path() / "analysis";
        fs::copy(original, copy, fs::copy_options::recursive);
        { LabServer inTheCopy(WorkFolders::In(copy), nullptr); }
        EXPECT_EQ(quib::testing::FolderSnapshot(original), crashed);

        const fs::path moved = dir.path() / "stick";
        fs::rename(original, moved);
        { LabServer inTheMovedFolder(WorkFolders::In(moved), nullptr); }

        fs::rename(kept, original);
        { LabServer inPlace(WorkFolders::In(original), nullptr); }
        const auto recovered = quib::testing::FolderSnapshot(original);
        EXPECT_EQ(ExpectRecordsAgree(original).rounds, 2);
        EXPECT_EQ(quib::testing::FolderSnapshot(copy), recovered);
        EXPECT_EQ(quib::testing::FolderSnapshot(moved), recovered);
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(crashesAtTheJournal, 0) << "no step left a journal to complete";
}

// A lab moved an old game's files and round files to an archive and left the
// position file and the subject files: the next game takes a number that
// nothing names, the subjects' rows of the old game stay as they were, and
// the old position file is not continued.
TEST(ArchivedLab, ANewGameTakesANumberNothingStillNames) {
    ScratchDirectory dir;
    const WorkFolders folders = NewLab(dir.path());
    {
        LabServer earlier(folders, nullptr);
        earlier.BeginGame(50000);
        ASSERT_TRUE(earlier.PlayRound(51000));
        ASSERT_TRUE(earlier.PlayRound(60000));
    }
    for (const char* name : {"g000000.csv", "r000000.csv", "r000001.csv"}) {
        fs::remove(folders.log / name);
    }
    const std::string oldPositions = ReadWholeFile(folders.log2 / "g000000.csv").value_or("");
    const std::string oldRow = "\ng000000.csv;09.03.24 14:05:07;p000007.csv;2;2;2;4200;";
    ASSERT_NE(ReadWholeFile(folders.log / "p000003.csv").value_or("").find(oldRow),
              std::string::npos);

    CountingBoxes boxes;
    LabServer later(folders, &boxes);
    later.BeginGame(90000);
    EXPECT_EQ(later.engine.game().gameRecord.fileName, "g000001.csv");
    ASSERT_TRUE(later.PlayRound(91000));

    EXPECT_EQ(later.engine.game().roundRecord.fileName, "r000000.csv");
    EXPECT_EQ(ReadWholeFile(folders.log2 / "g000000.csv"), oldPositions);
    const std::string anna = ReadWholeFile(folders.log / "p000003.csv").value_or("");
    EXPECT_NE(anna.find(oldRow), std::string::npos) << anna;
    EXPECT_NE(anna.find("\ng000001.csv;"), std::string::npos) << anna;
    EXPECT_NE(anna.find("\nRunden;3;"), std::string::npos) << anna;
    EXPECT_EQ(boxes.count, 0);
}

}  // namespace
}  // namespace quib::server
