// The session files joined to the tables: the lab's identity, each seat's
// computer per game and the connection trouble of each round, from a
// hand-made sessions folder.

#include "tools/export/session_join.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/scratch_directory.h"
#include "tools/export/tables.h"
#include "tools/export/tidy_csv_writer.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kHeader =
    "quib session;s000001.csv\n"
    "lab;lab-00000000000000aa\n"
    "version;1.4.0\n"
    "started;2026-12-11T17:00:00.000\n"
    "time;event;seat;game;round;address;host;count\n";

// Game 3: seat 2 lost in round 2 and back in the same round, bad frames in
// rounds 2 and 4, a loss between rounds that no round may be blamed for.
constexpr const char* kEvents =
    "2026-12-11T17:00:01.000;seat_taken;1;;;10.0.0.1;PC01;\n"
    "2026-12-11T17:00:02.000;seat_taken;2;;;10.0.0.2;R\xE4um 2;\n"
    "2026-12-11T17:00:03.000;game_started;1;3;;10.0.0.1;PC01;\n"
    "2026-12-11T17:00:03.000;game_started;2;3;;10.0.0.2;R\xE4um 2;\n"
    "2026-12-11T17:00:10.000;seat_lost;2;3;2;10.0.0.2;R\xE4um 2;\n"
    "2026-12-11T17:00:11.000;bad_frames;1;3;2;10.0.0.1;PC01;3\n"
    "2026-12-11T17:00:12.000;seat_taken;2;3;2;10.0.0.2;R\xE4um 2;\n"
    "2026-12-11T17:00:20.000;seat_lost;1;3;;10.0.0.1;PC01;\n"
    "2026-12-11T17:00:30.250;bad_frames;2;3;4;10.0.0.2;R\xE4um 2;2\n"
    "2026-12-11T17:00:31.000;bad_frames;2;3;4;10.0.0.2;R\xE4um 2;1\n"
    "2026-12-11T17:01:00.000;game_ended;;3;;;;\n";

class SessionJoin : public ::testing::Test {
  protected:
    fs::path lab() const { return dir.path() / "lab"; }
    void WriteSession(const std::string& name, const std::string& text) {
        fs::create_directories(lab() / "sessions");
        WriteBytes(lab() / "sessions" / name, text);
    }
    ScratchDirectory dir;
};

TEST_F(SessionJoin, SeatsPerGameAndTroublePerRound) {
    WriteSession("s000001.csv", std::string(kHeader) + kEvents);
    fs::create_directories(dir.path() / "out");
    EXPECT_EQ(FindLabId(lab()), "lab-00000000000000aa");
    TableFile connections(dir.path() / "out", TableNamed("connections.csv"), FindLabId(lab()));
    const SessionFacts facts = ReadSessionFacts(lab(), &connections);
    ASSERT_TRUE(connections.Finish());

    ASSERT_TRUE(facts.Knows(3));
    EXPECT_FALSE(facts.Knows(4));
    EXPECT_EQ(facts.gameSeats.at(3)[0].address, "10.0.0.1");
    EXPECT_EQ(facts.gameSeats.at(3)[1].host, "R\xC3\xA4um 2");
    EXPECT_EQ(facts.Round(3, 1).losses + facts.Round(3, 1).badFrames, 0);
    EXPECT_EQ(facts.Round(3, 2).losses, 1);
    EXPECT_EQ(facts.Round(3, 2).badFrames, 3);
    EXPECT_EQ(facts.Round(3, 3).losses, 0);  // the loss between rounds 2 and 3
    EXPECT_EQ(facts.Round(3, 4).badFrames, 3);

    const std::string table = ReadBytes(dir.path() / "out" / "connections.csv");
    EXPECT_NE(table.find("s000001.csv,10,2026-12-11T17:00:10,seat_lost,2,3,2,10.0.0.2,"
                         "R\xC3\xA4um 2,,lab-00000000000000aa\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find(",2026-12-11T17:00:30.250,bad_frames,2,3,4,"), std::string::npos);
}

TEST_F(SessionJoin, TheLabFoldersIdentityFileComesFirst) {
    WriteSession("s000001.csv", std::string(kHeader) + kEvents);
    WriteBytes(lab() / "lab_id.txt", "econlab-north\n");
    EXPECT_EQ(FindLabId(lab()), "econlab-north");
}

TEST_F(SessionJoin, AFolderWithoutSessionsHasNoIdentityAndKnowsNoGame) {
    fs::create_directories(lab() / "log");
    EXPECT_EQ(FindLabId(lab()), "");
    const SessionFacts facts = ReadSessionFacts(lab(), nullptr);
    EXPECT_FALSE(facts.Knows(0));
    EXPECT_EQ(facts.sessionFiles, 0u);
}

TEST_F(SessionJoin, UnreadableLinesAndOtherFilesAreLeftOut) {
    WriteSession("s000001.csv",
                 std::string(kHeader) + "garbage\n" +
                     "2026-12-11T17:00:10.000;seat_lost;2;5;1;10.0.0.2;PC02;\n" +
                     "2026-12-11T17:00:11.000;seat_lost;2;5;1;10.0.0.2;PC");  // cut short
    WriteSession("notes.csv", "not a session file\n");
    const SessionFacts facts = ReadSessionFacts(lab(), nullptr);
    EXPECT_EQ(facts.sessionFiles, 1u);
    EXPECT_EQ(facts.Round(5, 1).losses, 1);
}

}  // namespace
}  // namespace quib::exporter
