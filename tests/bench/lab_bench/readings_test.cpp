// What the lab benchmark reads from the system: ss's socket lines and the
// processor time in /proc stat files.
#include <gtest/gtest.h>

#include <fstream>

#include "bench/lab_bench/lab_figures.h"
#include "bench/lab_bench/proc_stats.h"
#include "bench/lab_bench/socket_stats.h"
#include "testing/scratch_directory.h"

namespace quib::bench {
namespace {

// Two player sockets; the second has not received anything yet, and ss then
// leaves out data_segs_in.
constexpr const char* kSsOutput =
    "0 0 127.0.0.1:40112 127.0.0.1:6832 users:((\"quib_client\",pid=4043,fd=9))\n"
    "\t cubic wscale:7,7 rto:204 rtt:0.02/0.01 bytes_sent:3120 segs_out:780 segs_in:781 "
    "data_segs_out:779 data_segs_in:780 send 1Gbps\n"
    "0 0 127.0.0.1:40120 127.0.0.1:6832 users:((\"quib_lab_bench\",pid=4030,fd=5))\n"
    "\t cubic wscale:7,7 rto:204 rtt:0.02/0.01 segs_out:3 segs_in:2 data_segs_out:1 send 1Gbps\n";

TEST(PlayerSockets, ReadsBothCountersAndTheLocalPortPerProcess) {
    const auto sockets = ParsePlayerSockets(kSsOutput);
    ASSERT_EQ(sockets.size(), 2u);
    EXPECT_EQ(sockets.at(4043).out, 779);
    EXPECT_EQ(sockets.at(4043).in, 780);
    EXPECT_EQ(sockets.at(4043).localPort, 40112);
    EXPECT_EQ(sockets.at(4030).out, 1);
    EXPECT_EQ(sockets.at(4030).in, 0);
    EXPECT_EQ(sockets.at(4030).localPort, 40120);
}

TEST(PlayerSockets, NothingFromEmptyOutput) {
    EXPECT_TRUE(ParsePlayerSockets("").empty());
}

TEST(CpuTicks, AddsUserAndSystemTimePastANameWithParentheses) {
    quib::testing::ScratchDirectory dir;
    const auto file = dir.path() / "stat";
    std::ofstream(file) << "4043 (odd) name) S 1 4043 4043 0 -1 4194560 2301 0 12 0 "
                           "150 27 0 0 20 0 3 0 12345 1000 2000\n";
    EXPECT_EQ(CpuTicks(file.string()), 177);
}

TEST(CpuTicks, NothingForATruncatedFile) {
    quib::testing::ScratchDirectory dir;
    const auto file = dir.path() / "stat";
    std::ofstream(file) << "4043 (quib) S 1 2\n";
    EXPECT_FALSE(CpuTicks(file.string()));
    EXPECT_FALSE(CpuTicks((dir.path() / "missing").string()));
}

TEST(Percentile, NearestRank) {
    const std::vector<double> values = {5, 1, 4, 2, 3};
    EXPECT_EQ(Percentile(values, 0.5), 3);
    EXPECT_EQ(Percentile(values, 1.0), 5);
    EXPECT_EQ(Percentile(values, 0.0), 1);
    EXPECT_EQ(Percentile({}, 0.5), 0);
}

}  // namespace
}  // namespace quib::bench
