// Text from outside is shown as text, by the real programs: a player program
// that names itself `<img src="/dev/zero">`, and a language file that puts
// markup into the score line the server sends to every player. Read as
// markup, either would make the program read /dev/zero until its memory
// runs out; shown as text, the lines read as they came.
//
// QUIB_E2E_KEEP, when set, receives a copy of the run's folders (programs'
// output, screenshots) to look at.

#include <sys/types.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "protocol/server_port.h"
#include "testing/e2e/child_group.h"
#include "testing/e2e/lab_session.h"
#include "testing/e2e/wait_for.h"
#include "testing/e2e/window_layout.h"
#include "testing/scratch_directory.h"
#include "tests/e2e/text_ink.h"
#include "tools/test_client.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr unsigned kWatchdogSeconds = 110;
const std::string kHostName = "<img src=\"/dev/zero\">";
const std::string kScoreWord = "<b>x</b><img src=\"/dev/zero\">";

// Both programs stay near 55 MB (server) and 35 MB (player) through a whole
// game (docs/performance.md), a few times that under the sanitizers. A
// program reading /dev/zero passes 1 GB within a fraction of a second.
constexpr long kResidentLimitKb = 1024 * 1024;
// Time for a fault to show: the texts arrive with the first frames, and a
// widget that read them as markup would be reading at once.
constexpr auto kWatchTime = 3s;

std::optional<long> ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return std::nullopt;
}

// Read as markup (with a picture that does not exist), the host line's ink
// ends at column 43 and the score line's near column 115 on the server and
// 138 in the player's field. Shown as text (Liberation Sans, the programs'
// Arial), the host line runs on to about column 135, the score line to about
// column 290 on the server and wraps in the player's field after about 250
// columns.
bool ShowsHostNameAsText(const TextInk& ink) {
    return ink.runs >= 12 && ink.lastColumn >= 100;
}
bool ShowsScoreAsText(const TextInk& ink) {
    return ink.runs >= 15 && ink.lastColumn >= 200;
}

class HostileTextTest : public ::testing::Test {
  protected:
    void SetUp() override { ArmWatchdog(kWatchdogSeconds); }
    void TearDown() override {
        lab.Stop();
        DisarmWatchdog();
        if (const char* keep = std::getenv("QUIB_E2E_KEEP")) {
            fs::copy(root.path(), keep,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        }
    }

    // Both programs running and within the memory limit for the whole watch.
    void WatchBothPrograms() {
        const auto end = std::chrono::steady_clock::now() + kWatchTime;
        do {
            ASSERT_TRUE(lab.ServerRunning()) << "the server ended";
            ASSERT_TRUE(lab.PlayerRunning(0)) << "the player program ended";
            for (auto [program, pid] : {std::pair{"server", lab.serverPid()},
                                        std::pair{"player program", lab.playerPid(0)}}) {
                const std::optional<long> kb = ResidentKb(pid);
                ASSERT_TRUE(kb.has_value()) << program;
                ASSERT_LT(*kb, kResidentLimitKb) << "resident size of the " << program;
            }
            std::this_thread::sleep_for(50ms);
        } while (std::chrono::steady_clock::now() < end);
    }

    quib::testing::ScratchDirectory root;
    LabSession lab{root.path()};
};

TEST_F(HostileTextTest, MarkupInAHostNameAndInATextLineIsShownAsText) {
    fs::create_directories(lab.serverDir());
    quib::testing::WriteBytes(lab.serverDir() / "quib_server_de.lang",
                              "[Text]\r\ntxt16 = " + kScoreWord + "\r\n");
    ASSERT_NO_FATAL_FAILURE(lab.Start(1));
    tools::TestClient peer;
    peer.SetHostName(kHostName);
    ASSERT_TRUE(peer.Connect(protocol::kServerPort));
    ASSERT_TRUE(
        peer.WaitForFrames(3, std::chrono::duration_cast<std::chrono::milliseconds>(kStepLimit)));
    ASSERT_NO_FATAL_FAILURE(WatchBothPrograms());

    TextInk host;
    TextInk mirrored;
    const auto server = lab.AwaitServer([&](const Screenshot& shot) {
        host = InkOf(shot, ServerHostLine(1));
        mirrored = InkOf(shot, ServerScoreLine(0));
        return ShowsHostNameAsText(host) && ShowsScoreAsText(mirrored);
    });
    EXPECT_TRUE(server.has_value())
        << "host line ink: " << host.runs << " runs up to column " << host.lastColumn
        << ", score line ink: " << mirrored.runs << " runs up to column " << mirrored.lastColumn
        << "; see " << lab.lastShot();

    TextInk score;
    EXPECT_TRUE(WaitFor(
        [&] {
            const auto shot = lab.ShotOfPlayer(0);
            score = shot ? InkOf(*shot, kClientScoreLine) : TextInk{};
            return ShowsScoreAsText(score);
        },
        kStepLimit))
        << "score line ink: " << score.runs << " runs up to column " << score.lastColumn << "; see "
        << lab.lastShot();
    EXPECT_TRUE(lab.ServerRunning());
    EXPECT_TRUE(lab.PlayerRunning(0));
}

}  // namespace
}  // namespace quib::e2e
