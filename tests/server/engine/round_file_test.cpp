// The round protocol log/r??????.csv: its header, both boards and the event
// lines, and what a round file that cannot be written leaves behind.

#include <gtest/gtest.h>

#include "server/records/round_file.h"

#include <filesystem>
#include <ostream>
#include <string>

#include "common/key_codes.h"
#include "tests/server/engine/record_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using quib::testing::FieldCounts;
using quib::testing::ReadBytes;
using quib::testing::RecordFixture;

constexpr Colour kRed = kColourTable[0];
constexpr Colour kYellow = kColourTable[1];
constexpr Colour kGreen = kColourTable[2];
constexpr Colour kBlue = kColourTable[3];

struct Cell {
    Colour colourA;
    std::int32_t shapeA;
    Colour colourB;
    std::int32_t shapeB;
    std::int32_t contact;
};

// "rot K N blau Q", "gelb D K grün P", "blau Q N rot K", "grün P K gelb D" at level 3.
constexpr Cell kBoard[] = {
    {kRed, 0, kBlue, 2, 0},
    {kYellow, 1, kGreen, 3, 1},
    {kBlue, 2, kRed, 0, 0},
    {kGreen, 3, kYellow, 1, 1},
};

void PutCell(SeatRecord& seat, int q, const Cell& cell) {
    seat.colourA[q] = cell.colourA;
    seat.shapeA[q] = cell.shapeA;
    seat.colourB[q] = cell.colourB;
    seat.shapeB[q] = cell.shapeB;
    seat.contact[q] = cell.contact;
}

// The third round of a game at level 3, lost, with a subject in seat 0 only;
// seat 0 goes from B down to D, seat 1 from c up to a.
class RoundFile : public RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        state.settings.speedText = "Schnell";
        SubjectRecord& anna = state.subjects[0];
        anna.subjectNumber = 42;
        anna.subjectName = "Anna";
        anna.subjectFile = "/lab/log/p000042.csv";
        for (int q = 0; q < kCells; ++q) {
            PutCell(seat(0), q, kBoard[q]);
            PutCell(seat(1), q, kBoard[3 - q]);
        }
        seat(0).level = 3;
        seat(1).level = 3;
        seat(0).pictureName = "grafik/figur0.png";
        seat(1).pictureName = "grafik\\figur3.png";
        Place(0, 1, 0);
        Place(1, 0, 1);
        engine->game().gameRecord.rounds = 2;

        engine->game().BeginRoundRecord(100000);
        engine->game().LogRoundEvent(RoundStartEvent, -1, -1, 102000);
        engine->game().LogRoundEvent(KeyEvent, kKeyDown, 0, 103000);
        engine->game().LogRoundEvent(KeyEvent, kKeyUp, 1, 103500);
        seat(0).cellY = 1;
        engine->game().LogRoundEvent(PositionEvent, 3, 0, 104000);
        seat(1).cellY = 0;
        engine->game().LogRoundEvent(PositionEvent, 0, 1, 104200);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 0, 105000);
        engine->game().LogRoundEvent(KeyEvent, kKeySpace, 1, 106123);
        EndRound(106123, false);
        // Seat 1 played this round with its partner view covered.
        seat(1).playedDisplayMode = DisplayCovered;
    }

    void Place(int s, int column, int row) {
        seat(s).startCellX = seat(s).cellX = column;
        seat(s).startCellY = seat(s).cellY = row;
    }
};

// The round file's text comes from the finished round alone, without a disk.
TEST_F(RoundFile, WritesHeaderBoardsAndEventsLineByLine) {
    const std::string written = RoundFileText(engine->game().DescribeFinishedRound(106200), texts);

    EXPECT_EQ(written, ExpectedFile("round_lost_level3.csv"));
    // Every event line and the column titles above them have five fields.
    const std::vector<int> counts = FieldCounts(written);
    ASSERT_EQ(counts.size(), 32u);
    for (std::size_t line = 24; line < counts.size(); ++line) {
        EXPECT_EQ(counts[line], 5) << "line " << line + 1;
    }
}

TEST_F(RoundFile, WonRoundReadsGewonnen) {
    engine->game().roundRecord.won = 1;
    // The subject files of this fixture lie nowhere; the round file is written
    // before them.
    ASSERT_TRUE(WriteRound(106200).roundSaved);

    const std::string written = ReadBytes(logDir() / "r000000.csv");
    EXPECT_NE(written.find("\nErgebniss:;Gewonnen\n"), std::string::npos) << written;
}

struct BlockedCase {
    const char* name;
    // Makes the round's file impossible to write.
    void (*block)(const std::filesystem::path& logDir);
};

void PrintTo(const BlockedCase& c, std::ostream* os) {
    *os << c.name;
}

const BlockedCase kBlockedCases[] = {
    {"LogFolderIsAFile",
     [](const std::filesystem::path& logDir) {
         std::filesystem::remove_all(logDir);
         quib::testing::WriteBytes(logDir, "not a folder");
     }},
    {"NameTakenByAFolder",
     [](const std::filesystem::path& logDir) {
         std::filesystem::create_directory(logDir / "r000000.csv");
     }},
};

class BlockedRoundFile : public RoundFile, public ::testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedRoundFile, ReportsTheFullPathAndLeavesNothingHalfWritten) {
    GetParam().block(logDir());
    const std::vector<std::string> blocked = quib::testing::NamesIn(logDir());

    EXPECT_FALSE(WriteRound(106200).roundSaved);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "Fehler!");
    EXPECT_EQ(boxes.shown[0].second,
              "Kann Datei nicht schreiben: " + Shown(logDir() / "r000000.csv"));
    // No temporary file is left beside the blocked name, and a folder of
    // that name is still a folder.
    EXPECT_EQ(quib::testing::NamesIn(logDir()), blocked);
    EXPECT_FALSE(std::filesystem::is_regular_file(logDir() / "r000000.csv"));
}

INSTANTIATE_TEST_SUITE_P(, BlockedRoundFile, ::testing::ValuesIn(kBlockedCases),
                         quib::testing::CaseName());

// With every round number taken the round has no file name: it is reported
// as not written, and nothing takes the name of the log folder itself.
TEST_F(RoundFile, RoundWithoutFileNameIsNotWritten) {
    engine->game().roundRecord.fileName.clear();

    EXPECT_FALSE(WriteRound(106200).roundSaved);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "Kann Datei nicht schreiben: " + Shown(logDir()) + "/");
    EXPECT_TRUE(quib::testing::NamesIn(logDir()).empty());
}

}  // namespace
}  // namespace quib::server
