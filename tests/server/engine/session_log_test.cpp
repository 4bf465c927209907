// What the session file is told, with a fixed wall clock: each event with
// its game and round, seat_taken once the host is known, and bad frames
// counted per seat and wall-clock second.

#include "server/engine/session_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quib::server {
namespace {

class SessionLogTest : public ::testing::Test {
  protected:
    SessionLogTest() : log([this] { return now; }) {
        log.WriteTo([this](std::string line) { lines.push_back(std::move(line)); });
    }
    // The clock at 17:05:`second`.`ms`.
    void At(int second, int ms) { now = {2026, 12, 11, 17, 5, second, ms}; }

    LocalTime now{2026, 12, 11, 17, 5, 0, 0};
    SessionLog log;
    std::vector<std::string> lines;
};

const SessionPlace kNoGame{};
const SessionPlace kRound12{3, 12};
const SessionPlace kBetweenRounds{3, std::nullopt};

TEST_F(SessionLogTest, EachEventCarriesItsComputerGameAndRound) {
    At(1, 0);
    log.SeatTaken(0, "10.0.0.7");
    log.SeatTaken(1, "10.0.0.8");
    At(1, 20);
    log.HostReported(0, "PC07", kNoGame);
    At(1, 40);
    log.HostReported(1, "PC08", kNoGame);
    At(2, 0);
    log.GameStarted(kBetweenRounds);
    At(3, 500);
    log.SeatLost(1, kRound12);
    At(4, 0);
    log.SeatTaken(1, "10.0.0.9");
    log.HostReported(1, "PC09", kRound12);
    log.HostReported(1, "PC09", kRound12);  // the same name again: nothing new
    At(4, 10);
    log.HostReported(1, "PC10;x", kRound12);
    At(5, 0);
    log.GameEnded(kBetweenRounds);
    At(6, 0);
    log.ServerEnded(kNoGame);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2026-12-11T17:05:01.020;seat_taken;1;;;10.0.0.7;PC07;\n",
                         "2026-12-11T17:05:01.040;seat_taken;2;;;10.0.0.8;PC08;\n",
                         "2026-12-11T17:05:02.000;game_started;1;3;;10.0.0.7;PC07;\n",
                         "2026-12-11T17:05:02.000;game_started;2;3;;10.0.0.8;PC08;\n",
                         "2026-12-11T17:05:03.500;seat_lost;2;3;12;10.0.0.8;PC08;\n",
                         "2026-12-11T17:05:04.000;seat_taken;2;3;12;10.0.0.9;PC09;\n",
                         "2026-12-11T17:05:04.010;host_changed;2;3;12;10.0.0.9;\"PC10;x\";\n",
                         "2026-12-11T17:05:05.000;game_ended;;3;;;;\n",
                         "2026-12-11T17:05:06.000;server_ended;;;;;;\n",
                     }));
}

// A program that never names its computer still gets its seat_taken line,
// before the first line about its seat; an empty seat starts a game too.
TEST_F(SessionLogTest, SeatTakenWithoutAHostComesBeforeTheSeatsNextLine) {
    log.SeatTaken(0, "10.0.0.7");
    At(1, 0);
    log.GameStarted(kBetweenRounds);
    At(2, 0);
    log.SeatLost(0, kRound12);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2026-12-11T17:05:01.000;seat_taken;1;3;;10.0.0.7;;\n",
                         "2026-12-11T17:05:01.000;game_started;1;3;;10.0.0.7;;\n",
                         "2026-12-11T17:05:01.000;game_started;2;3;;;;\n",
                         "2026-12-11T17:05:02.000;seat_lost;1;3;12;10.0.0.7;;\n",
                     }));
}

TEST_F(SessionLogTest, BadFramesAreCountedPerSeatAndSecondAndEndedByTheNextLine) {
    log.SeatTaken(0, "10.0.0.7");
    log.HostReported(0, "PC07", kNoGame);
    log.SeatTaken(1, "10.0.0.8");
    log.HostReported(1, "PC08", kNoGame);
    lines.clear();
    At(1, 100);
    log.BadFrameReported(1, kRound12);
    At(1, 200);
    log.BadFrameReported(0, kRound12);
    At(1, 300);
    log.BadFrameReported(1, kRound12);
    log.Tick();  // the same second: still counting
    EXPECT_TRUE(lines.empty());
    At(2, 0);
    log.Tick();  // the second is over: both counts, the earlier first
    At(2, 100);
    log.BadFrameReported(0, kRound12);
    At(2, 400);
    log.SeatLost(1, kRound12);  // another line ends the running count early
    At(2, 500);
    log.BadFrameReported(0, kRound12);
    At(3, 0);
    log.BadFrameReported(0, kRound12);  // a new second ends the last one's count
    log.ServerEnded(kNoGame);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2026-12-11T17:05:01.100;bad_frames;2;3;12;10.0.0.8;PC08;2\n",
                         "2026-12-11T17:05:01.200;bad_frames;1;3;12;10.0.0.7;PC07;1\n",
                         "2026-12-11T17:05:02.100;bad_frames;1;3;12;10.0.0.7;PC07;1\n",
                         "2026-12-11T17:05:02.400;seat_lost;2;3;12;10.0.0.8;PC08;\n",
                         "2026-12-11T17:05:02.500;bad_frames;1;3;12;10.0.0.7;PC07;1\n",
                         "2026-12-11T17:05:03.000;bad_frames;1;3;12;10.0.0.7;PC07;1\n",
                         "2026-12-11T17:05:03.000;server_ended;;;;;;\n",
                     }));
}

}  // namespace
}  // namespace quib::server
