// The synthetic lab: what the server's records check says about it, and
// that writing the record functions' texts directly leaves the same files as
// the server's transactional writer.

#include "testing/synthetic_lab/synthetic_lab.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "server/core/settings.h"
#include "server/records/records_check.h"
#include "testing/scratch_directory.h"

namespace quib::testing {
namespace {

namespace fs = std::filesystem;

// Every file below `dir` by its relative path, with its bytes.
std::map<std::string, std::string> FilesBelow(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir).generic_string()] = ReadBytes(entry.path());
        }
    }
    return files;
}

TEST(SyntheticLab, AgreesUnderTheRecordsCheckAndIsMixed) {
    ScratchDirectory dir;
    std::mt19937 random(7);
    const SyntheticLab lab =
        WriteSyntheticLab(dir.path(), {.rounds = 300, .games = 24, .subjects = 9}, random);

    const server::RecordsCheck check =
        server::CheckRecords(dir.path(), server::ReadFolderTexts(dir.path()));
    EXPECT_EQ(check.unusable, "");
    for (const server::RecordProblem& problem : check.problems) {
        ADD_FAILURE() << server::ProblemLine(problem);
    }
    EXPECT_EQ(check.games, 24);
    EXPECT_EQ(check.rounds, 300);
    EXPECT_EQ(check.subjects, 9);
    EXPECT_EQ(check.archivedGameRows, 0);
    EXPECT_EQ(lab.games, check.games);
    EXPECT_EQ(lab.rounds, check.rounds);
    EXPECT_EQ(lab.wonRounds, check.wonRounds);
    EXPECT_EQ(lab.subjects, check.subjects);
    EXPECT_TRUE(fs::is_regular_file(dir.path() / server::kDefaultServerLanguageFile));

    // Realistic enough to exercise a reader: every level, both displays,
    // won and lost rounds, moves and arrivals beyond the two space bars a
    // round needs at least.
    for (int level = 1; level <= 6; ++level) {
        EXPECT_GT(lab.roundsAtLevel[static_cast<std::size_t>(level - 1)], 0) << "level " << level;
    }
    EXPECT_GT(lab.openRounds, 0);
    EXPECT_LT(lab.openRounds, lab.rounds);
    EXPECT_GT(lab.wonRounds, 0);
    EXPECT_LT(lab.wonRounds, lab.rounds);
    EXPECT_GT(lab.arrivals, lab.rounds);
    EXPECT_GT(lab.keyEvents, 2 * lab.rounds + lab.arrivals / 2);
}

// The benchmark's labs are written directly for speed; they are only worth
// measuring if they are what the running server would have left.
TEST(SyntheticLab, DirectWritingLeavesTheServerWritersBytes) {
    const SyntheticLabOptions options{.rounds = 40, .games = 3, .subjects = 4};
    ScratchDirectory direct;
    ScratchDirectory server;
    std::mt19937 first(11);
    std::mt19937 second(11);
    SyntheticLabOptions serverOptions = options;
    serverOptions.writing = LabWriting::Server;

    WriteSyntheticLab(direct.path(), options, first);
    WriteSyntheticLab(server.path(), serverOptions, second);

    const auto directFiles = FilesBelow(direct.path());
    const auto serverFiles = FilesBelow(server.path());
    ASSERT_EQ(directFiles.size(),
              1u + 4u + 40u + 3u + 3u);  // language, subjects, rounds, games, positions
    for (const auto& [name, bytes] : serverFiles) {
        const auto found = directFiles.find(name);
        if (found == directFiles.end()) {
            ADD_FAILURE() << name << " is missing from the directly written lab";
        } else {
            EXPECT_EQ(found->second, bytes) << name;
        }
    }
    EXPECT_EQ(directFiles.size(), serverFiles.size());
}

}  // namespace
}  // namespace quib::testing
