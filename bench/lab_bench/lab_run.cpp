#include "bench/lab_bench/lab_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "bench/lab_bench/key_to_screen.h"
#include "bench/lab_bench/measuring_player.h"
#include "bench/lab_bench/proc_stats.h"
#include "bench/lab_bench/socket_stats.h"
#include "bench/lab_bench/wire_watch.h"
#include "protocol/server_port.h"
#include "testing/e2e/figure_pictures.h"
#include "testing/e2e/lab_session.h"
#include "testing/e2e/wait_for.h"
#include "testing/e2e/window_layout.h"
#include "testing/scratch_directory.h"
#include "tools/test_client.h"

namespace quib::bench {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A figure at "langsam" crosses a cell in 25 exchanges (about 0.65 s); the
// real player presses a little less often, so its figure moves most of the
// time and no press falls into a journey.
constexpr auto kRealPlayerPace = 800ms;
constexpr int kRoundTripSamples = 2000;
constexpr int kRestedRoundTripSamples = 200;  // 5 s of 25 ms pauses
constexpr double kMemorySamplePeriodSeconds = 15;
// A press of the key-to-screen phase takes a journey across a cell (some
// 0.65 s) and a rest; the watchdog allows three times that.
constexpr unsigned kWatchdogSecondsPerPress = 3;
// The real player's exchange is taken from the wire for this long before
// the presses, to spread their pauses over a whole number of exchanges.
constexpr auto kExchangeSample = 2s;
constexpr int kPauseExchanges = 4;
constexpr double kFallbackPauseSpanMs = 100;
// Rounds of the X server's timings.
constexpr int kXRounds = 200;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct PhaseRun {
    e2e::LabSession& lab;
    tools::TestClient& seat2;
    MeasuringPlayer& player;
};

// Lets `seconds` pass, calling `meanwhile` every pace, and notes what both
// programs used and how many exchanges both seats made.
PlayerRecord MeasurePhase(const PhaseRun& run, double seconds,
                          const std::function<void()>& meanwhile, PhaseFigures& out) {
    const pid_t server = run.lab.serverPid();
    const pid_t client = run.lab.playerPid(0);
    run.player.TakeRecord();
    const auto socketsBefore = PlayerSockets(protocol::kServerPort);
    const CpuWindow serverCpu(server);
    const CpuWindow clientCpu(client);
    const auto start = Clock::now();
    while (SecondsSince(start) < seconds) {
        if (meanwhile) {
            meanwhile();
        }
        const double left = seconds - SecondsSince(start);
        std::this_thread::sleep_for(std::min<Clock::duration>(
            kRealPlayerPace, std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(std::max(0.0, left)))));
    }
    out.serverCpu = serverCpu.Percent();
    out.clientCpu = clientCpu.Percent();
    out.serverThreads = serverCpu.ThreadPercent();
    out.clientThreads = clientCpu.ThreadPercent();
    out.seconds = SecondsSince(start);
    const auto socketsAfter = PlayerSockets(protocol::kServerPort);
    PlayerRecord record = run.player.TakeRecord();
    out.measuringRate = static_cast<double>(record.frames) / out.seconds;
    EXPECT_TRUE(socketsBefore.count(client) && socketsAfter.count(client))
        << "ss shows no connection of the player program";
    if (socketsBefore.count(client) && socketsAfter.count(client)) {
        out.clientRate =
            static_cast<double>(socketsAfter.at(client).out - socketsBefore.at(client).out) /
            out.seconds;
    }
    out.gapP50 = Percentile(record.frameGapsMs, 0.5);
    out.gapP99 = Percentile(record.frameGapsMs, 0.99);
    out.gapMax = Percentile(record.frameGapsMs, 1.0);
    return record;
}

// The measuring player presses space by itself once the round asks for it
// and then waits for its partner; the real player is pressed for. A second press is only given
// while the round has not started, since space in a running round ends it for that player.
void StartRound(e2e::LabSession& lab, MeasuringPlayer& player) {
    ASSERT_TRUE(e2e::WaitFor([&] { return player.phase() != PlayerPhase::Other; }, 30s))
        << "the round was not set up; status \"" << player.status() << "\"; "
        << (lab.ShotOfServer(), lab.lastShot());
    for (int attempt = 0; attempt < 3 && player.phase() != PlayerPhase::Playing; ++attempt) {
        ASSERT_NO_FATAL_FAILURE(lab.PressKey(0, "space"));
        e2e::WaitFor([&] { return player.phase() == PlayerPhase::Playing; }, 5s);
    }
    ASSERT_EQ(player.phase(), PlayerPhase::Playing)
        << "the round did not start; status \"" << player.status() << "\"";
}

// Arrows typed into the real player's window through the X server while
// the measuring player keeps moving, each timed until the real player's
// window shows its figure moving; the exchange of the real player watched
// on the loopback interface meanwhile.
void MeasureKeyToScreenPhase(e2e::LabSession& lab, const LabOptions& options,
                             KeyToScreenFigures& out) {
    ASSERT_NO_FATAL_FAILURE(lab.FocusPlayer(0));
    ScreenProbe probe;
    std::string error;
    ASSERT_TRUE(probe.Open(lab.displayName(), lab.playerWindow(0), &error)) << error;
    const auto sockets = PlayerSockets(protocol::kServerPort);
    const auto client = sockets.find(lab.playerPid(0));
    const int port = client == sockets.end() ? 0 : client->second.localPort;
    WireWatch wire;
    if (port == 0) {
        out.wireProblem = "ss shows no connection of the player program";
    } else if (!wire.Start(protocol::kServerPort, &error)) {
        out.wireProblem = error;
    }
    std::vector<WireEvent> events;
    double pauseSpanMs = kFallbackPauseSpanMs;
    if (out.wireProblem.empty()) {
        std::this_thread::sleep_for(kExchangeSample);
        events = wire.Take();
        const double exchange = MedianExchangeMs(events, port);
        if (exchange > 0) {
            pauseSpanMs = kPauseExchanges * exchange;
        }
    }
    KeyToScreenRecord record;
    const KeyToScreenOptions measure{options.presses, e2e::kClientOwnView, pauseSpanMs,
                                     options.shotDir};
    ASSERT_NO_FATAL_FAILURE(MeasureKeyToScreen(probe, measure, &record));
    wire.Stop();
    const std::vector<WireEvent> more = wire.Take();
    events.insert(events.end(), more.begin(), more.end());
    out.pauseSpanMs = pauseSpanMs;
    out.sharedPutMs =
        probe.SharedPutMs(e2e::kClientOwnView.side, e2e::kClientOwnView.side, kXRounds);
    out.xRoundTripMs = probe.RoundTripMs(kXRounds);
    out.typed = static_cast<int>(record.shown.size()) + record.notShown;
    out.notShown = record.notShown;
    out.stayed = record.stayed;
    out.unsettled = record.unsettled;
    out.grabMs = record.grabMs;
    out.exchangeMs = MedianExchangeMs(events, port);
    for (const ScreenPress& press : record.shown) {
        out.screenMs.push_back(press.screenMs);
        out.resolutionMs.push_back(press.resolutionMs);
        out.keyTakenMs.push_back(press.keyTakenMs);
        const auto seen =
            press.sent + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double, std::milli>(press.screenMs));
        if (const auto split = SplitPress(events, port, press.sent, press.vk, seen)) {
            out.keyToReplyMs.push_back(split->keyToReply);
            out.replyToFrameMs.push_back(split->replyToFrame);
            out.frameToScreenMs.push_back(split->frameToScreen);
        }
    }
}

void SaveShot(e2e::LabSession& lab, const fs::path& dir) {
    if (dir.empty()) {
        return;
    }
    fs::create_directories(dir);
    ASSERT_TRUE(lab.ShotOfServer());
    fs::copy_file(lab.lastShot(), dir / "lab_bench_server.png",
                  fs::copy_options::overwrite_existing);
}

}  // namespace

void SetUpGame(e2e::LabSession& lab, int speed) {
    const std::vector<std::string> figures = e2e::ListedFigures(lab.serverDir() / "grafik");
    ASSERT_FALSE(figures.empty());
    const int second = figures.size() > 1 ? 1 : 0;
    ASSERT_NO_FATAL_FAILURE(lab.CreateSubject(0, "Anna"));
    ASSERT_NO_FATAL_FAILURE(lab.CreateSubject(1, "Ben"));
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kLevelList, 1));
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kSpeedList, speed));
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kDisplayList, 2));  // "offen"
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kFigure1List, 1));
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kFigure2List, second + 1));
    ASSERT_NO_FATAL_FAILURE(lab.ChooseSetting(e2e::kStart1List, 2));  // "Links Oben"
    ASSERT_NO_FATAL_FAILURE(lab.ClickServer(e2e::kStartToggle));
}

void MeasureLab(const LabOptions& options, LabFigures& figures) {
    e2e::ArmWatchdog(static_cast<unsigned>(options.idleSeconds + options.playSeconds) + 300 +
                     kWatchdogSecondsPerPress * static_cast<unsigned>(options.presses));
    quib::testing::ScratchDirectory scratch;
    e2e::LabSession lab(scratch.path());
    ASSERT_NO_FATAL_FAILURE(lab.Start(1));
    figures.serverListenMs = static_cast<double>(lab.serverListenTime().count());
    figures.clientWindowMs = static_cast<double>(lab.playerWindowTime(0).count());

    MeasuringPlayer player([] { return Clock::now(); });
    tools::TestClient seat2;
    seat2.SetKeepFrames(false);
    seat2.SetHostName("quib_lab_bench");
    seat2.SetKeySource([&](std::span<const std::uint8_t> frame) { return player.OnFrame(frame); });
    ASSERT_TRUE(seat2.Connect(protocol::kServerPort)) << "the measuring player could not connect";
    ASSERT_TRUE(seat2.WaitForFrames(20, 10s)) << "no exchange with the measuring player";
    std::this_thread::sleep_for(2s);  // start-up work settles

    const PhaseRun run{lab, seat2, player};
    MeasurePhase(run, options.idleSeconds, nullptr, figures.idle);
    figures.roundTripMs = LoopbackRoundTrips(kRoundTripSamples, 0ms).roundTripMs;
    const LoopbackTimes rested = LoopbackRoundTrips(kRestedRoundTripSamples, 25ms);
    figures.restedRoundTripMs = rested.roundTripMs;
    figures.pauseOverrunMs = rested.pauseOverrunMs;

    ASSERT_NO_FATAL_FAILURE(SetUpGame(lab, kSpeedSlow));
    ASSERT_NO_FATAL_FAILURE(StartRound(lab, player));
    player.SetMoving(true);
    figures.serverRssStartKb = StatusKb(lab.serverPid(), "VmRSS").value_or(0);
    figures.clientRssStartKb = StatusKb(lab.playerPid(0), "VmRSS").value_or(0);
    bool right = true;
    const auto gameStart = Clock::now();
    const auto sampleMemory = [&] {
        figures.rssDuringGame.push_back({SecondsSince(gameStart),
                                         StatusKb(lab.serverPid(), "VmRSS").value_or(0),
                                         StatusKb(lab.playerPid(0), "VmRSS").value_or(0)});
    };
    const auto pressReal = [&] {
        lab.PressKey(0, right ? "Right" : "Left");
        right = !right;
        ++figures.realPresses;
        if (figures.rssDuringGame.empty() ||
            SecondsSince(gameStart) - figures.rssDuringGame.back().second >=
                kMemorySamplePeriodSeconds) {
            sampleMemory();
        }
    };
    const PlayerRecord played = MeasurePhase(run, options.playSeconds, pressReal, figures.playing);
    sampleMemory();
    figures.serverRssEndKb = StatusKb(lab.serverPid(), "VmRSS").value_or(0);
    figures.clientRssEndKb = StatusKb(lab.playerPid(0), "VmRSS").value_or(0);
    figures.serverHwmKb = StatusKb(lab.serverPid(), "VmHWM").value_or(0);
    figures.clientHwmKb = StatusKb(lab.playerPid(0), "VmHWM").value_or(0);
    for (const Reaction& reaction : played.reactions) {
        figures.reactionMs.push_back(reaction.ms);
        figures.reactionExchanges.push_back(reaction.exchanges);
    }
    figures.pressesNotShown = played.pressesNotShown;
    figures.realJourneys = played.partnerJourneys;
    figures.rhythmViolations = seat2.RhythmViolations();
    EXPECT_FALSE(played.reactions.empty()) << "no press of the measuring player moved its figure";
    if (options.presses > 0) {
        ASSERT_NO_FATAL_FAILURE(MeasureKeyToScreenPhase(lab, options, figures.keyToScreen));
    }
    ASSERT_NO_FATAL_FAILURE(SaveShot(lab, options.shotDir));

    seat2.Close();
    lab.Stop();
    e2e::DisarmWatchdog();
}

}  // namespace quib::bench
