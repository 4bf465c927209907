// Two players play a round over real TCP against the whole server program:
// the experimenter's choices are made on the window, the players' keys come
// from protocol-level test clients.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/messages.h"
#include "server/core/time_format.h"
#include "server/core/window/server_app.h"
#include "testing/scratch_directory.h"
#include "tests/server/core/window/scripted_dialogs.h"
#include "tests/support/qt_app.h"
#include "tools/test_client.h"

namespace quib::server {
namespace {

using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kSpace = 32;
constexpr std::uint8_t kLeft = 37;
constexpr std::uint8_t kRight = 39;

std::bitset<256> Keys(std::initializer_list<std::uint8_t> codes) {
    std::bitset<256> keys;
    for (std::uint8_t code : codes) {
        keys.set(code);
    }
    return keys;
}

std::string SubjectFile(const std::string& number) {
    return "Spieler\r\nSpielernr.;" + number + "\r\nSpielername;P" + number +
           "\r\nKommentar;\r\nErstellt;09.12.26;10:00:00\r\n\r\nPunkte;0;Rekord;0\r\n"
           "Runden;0;Spielzeit;0;00:00:00\r\n\r\n"
           "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n";
}

// The type codes of every message of every frame a player received.
std::vector<std::uint8_t> MessageTypes(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::uint8_t> types;
    for (const auto& frame : frames) {
        if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
            continue;
        }
        protocol::ParseMessages(frame, [&](std::uint8_t type, auto) {
            types.push_back(type);
            return true;
        });
    }
    return types;
}

// Positions at which the own figure (slot 2) was drawn, in order.
std::vector<float> OwnFigureXs(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<float> xs;
    for (const auto& frame : frames) {
        if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
            continue;
        }
        protocol::ParseMessages(frame, [&](std::uint8_t type, std::span<const std::uint8_t> body) {
            protocol::DrawImage image;
            if (type == 220 && protocol::Parse(body, &image) && image.slot == 2) {
                xs.push_back(image.x);
            }
            return true;
        });
    }
    return xs;
}

// A main thread that blocks never comes back to fail its test: past the
// limit the program ends with a message instead of hanging.
class MainThreadWatchdog {
  public:
    explicit MainThreadWatchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock guard(mutex_);
              if (!finished_.wait_for(guard, limit, [this] { return done_; })) {
                  std::fputs("the main thread is blocked\n", stderr);
                  std::_Exit(1);
              }
          }) {}
    ~MainThreadWatchdog() {
        {
            std::lock_guard guard(mutex_);
            done_ = true;
        }
        finished_.notify_all();
        thread_.join();
    }
    MainThreadWatchdog(const MainThreadWatchdog&) = delete;
    MainThreadWatchdog& operator=(const MainThreadWatchdog&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;  // guarded by mutex_
    std::thread thread_;
};

class RoundPlay : public ::testing::Test {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        WriteBytes(dir.path() / "quib_server.prefs",
                   "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_server_de.lang\r\n");
        std::filesystem::create_directories(dir.path() / "grafik");
        QImage figure(96, 96, QImage::Format_ARGB32);
        figure.fill(QColor(200, 40, 160));
        ASSERT_TRUE(
            figure.save(QString::fromStdString((dir.path() / "grafik/figur0.png").string())));
        std::filesystem::create_directories(dir.path() / "log");
        WriteBytes(dir.path() / "log/p000000.csv", SubjectFile("000000"));
        WriteBytes(dir.path() / "log/p000001.csv", SubjectFile("000001"));
        app = std::make_unique<ServerApp>(ServerOptions{dir.path(), 0}, dialogs, chooser);
        ASSERT_TRUE(app->Start());
    }

    template <typename Done>
    bool RunUntil(Done done) {
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        while (!done() && Clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            app->Iterate();
        }
        return done();
    }

    template <typename Read>
    auto Locked(Read read) {
        std::lock_guard guard(app->state().lock);
        return read();
    }

    // Both players have let go of the space bar that started or ended the
    // round, so that a fresh press counts.
    bool BothSpaceBarsFree() {
        return Locked([&] {
            return app->engine().game().seats[0].readyState == 0 &&
                   app->engine().game().seats[1].readyState == 0;
        });
    }

    // Both players hold the space bar.
    void BothHoldSpace() {
        for (tools::TestClient& player : players) {
            player.SetKeysDown(Keys({kSpace}));
        }
    }

    // Both players let go of the space bar and, once the server has seen
    // that, press it again: a fresh press that ends or continues a round.
    void BothPressSpaceAgain() {
        for (tools::TestClient& player : players) {
            player.SetKeysDown({});
        }
        ASSERT_TRUE(RunUntil([&] { return BothSpaceBarsFree(); }));
        BothHoldSpace();
    }

    // Both players start the waiting round and end it at once.
    void PlayARoundToItsEnd() {
        BothHoldSpace();
        ASSERT_TRUE(
            RunUntil([&] { return Locked([&] { return app->state().gameState; }) == Running; }));
        ASSERT_NO_FATAL_FAILURE(BothPressSpaceAgain());
    }

    std::size_t EventsLogged(const std::string& part) {
        return Locked([&] {
            return static_cast<std::size_t>(std::count_if(
                app->engine().game().roundRecord.events.begin(),
                app->engine().game().roundRecord.events.end(),
                [&](const std::string& line) { return line.find(part) != std::string::npos; }));
        });
    }

    bool EventLogged(const std::string& part) {
        return Locked([&] {
            for (const std::string& line : app->engine().game().roundRecord.events) {
                if (line.find(part) != std::string::npos) {
                    return true;
                }
            }
            return false;
        });
    }

    // The experimenter's choices: level 1, instant moves, open display, the
    // one figure for both, both starting top left, two subjects.
    void ChooseEverything() {
        MainWindow& w = *app->window();
        const std::pair<int, int> choices[] = {{9002, 1}, {9004, 4}, {9006, 2}, {9008, 1},
                                               {9011, 2}, {8, 2},    {4008, 3}};
        for (auto [id, entry] : choices) {
            w.List(id)->setCurrentIndex(entry);
            if (id == 8 || id == 4008) {
                emit w.List(id)->activated(entry);
            }
        }
    }

    // Both players take their seats and the experimenter starts the game:
    // the round waits for the players' space bars.
    void SeatBothAndStartTheGame() {
        ChooseEverything();
        for (tools::TestClient& player : players) {
            ASSERT_TRUE(player.Connect(app->port()));
        }
        QPushButton* toggle = app->window()->Button(9013);
        ASSERT_TRUE(RunUntil([&] { return toggle->isEnabled(); }));
        toggle->click();
        ASSERT_TRUE(
            RunUntil([&] { return Locked([&] { return app->state().gameState; }) == WaitStart; }));
    }

    ScratchDirectory dir;
    quib::server::testing::ScriptedDialogs dialogs;
    quib::server::testing::ScriptedChooser chooser;
    std::unique_ptr<ServerApp> app;
    tools::TestClient players[2];
};

TEST_F(RoundPlay, BothPlayersStartMoveAndEndARound) {
    ASSERT_NO_FATAL_FAILURE(SeatBothAndStartTheGame());

    for (tools::TestClient& player : players) {
        player.SetKeysDown(Keys({kSpace}));
    }
    ASSERT_TRUE(
        RunUntil([&] { return Locked([&] { return app->state().gameState; }) == Running; }));
    EXPECT_TRUE(EventLogged(";0;Start;"));

    // The space bar must be let go once before it can end the round.
    for (tools::TestClient& player : players) {
        player.SetKeysDown({});
    }
    ASSERT_TRUE(RunUntil(
        [&] { return Locked([&] { return app->engine().game().seats[0].readyState == 0; }); }));
    players[0].SetKeysDown(Keys({kRight}));
    ASSERT_TRUE(RunUntil([&] { return EventLogged(";1;Position;B"); }));
    EXPECT_TRUE(EventLogged(";1;Taste;Rechts"));
    players[0].SetKeysDown({});

    for (tools::TestClient& player : players) {
        player.SetKeysDown(Keys({kSpace}));
    }
    ASSERT_TRUE(
        RunUntil([&] { return Locked([&] { return app->state().gameState; }) == RoundOver; }));
    EXPECT_EQ(Locked([&] { return app->engine().game().roundRecord.moves[0]; }), 1);
    EXPECT_EQ(Locked([&] { return app->engine().game().roundRecord.moves[1]; }), 0);

    // The round is judged and recorded: its round file, the game's two
    // protocols and a game row in both subjects' files.
    for (const char* file : {"log/r000000.csv", "log/g000000.csv", "log2/g000000.csv"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / file)) << file;
    }
    for (const char* subject : {"log/p000000.csv", "log/p000001.csv"}) {
        const std::string text = quib::testing::ReadBytes(dir.path() / subject);
        EXPECT_NE(text.find("\ng000000.csv;"), std::string::npos) << subject;
    }
    const std::string status = Locked([&] { return app->engine().game().seats[0].statusText; });
    EXPECT_TRUE(status.rfind("Gewonnen!", 0) == 0 || status.rfind("Verloren!", 0) == 0) << status;

    // What the first player was told to draw: its board, its figure picture,
    // the figure moving from the left cell to the right one, presents.
    const auto frames = players[0].Frames();
    const auto types = MessageTypes(frames);
    for (std::uint8_t type : {210, 211, 226, 225, 220, 254, 33}) {
        EXPECT_NE(std::find(types.begin(), types.end(), type), types.end()) << int(type);
    }
    const std::vector<float> xs = OwnFigureXs(frames);
    ASSERT_FALSE(xs.empty());
    EXPECT_LT(xs.front(), 0.5f) << "starts in the left column";
    EXPECT_GT(xs.back(), 0.5f) << "ends in the right column";
    EXPECT_EQ(players[0].RhythmViolations(), 0u);

    // The experimenter sees the first player's board in the seat's mirror.
    ASSERT_TRUE(RunUntil(
        [&] { return app->window()->Picture(1)->image().pixelColor(5, 5) != QColor(Qt::black); }));
    EXPECT_EQ(app->window()->Picture(1)->image().pixelColor(240, 60), QColor(150, 150, 150));
}

// A modal box runs its own event loop, in which the clock and the players'
// frames go on; the quit question must not be asked again from there.
TEST_F(RoundPlay, ClosingDuringAGameAsksOnceAndNoLeavesTheGameRunning) {
    enum Pressing { kNothing, kSpaceBar, kBackAndForth };
    std::atomic<int> pressing = kNothing;
    for (tools::TestClient& player : players) {
        auto frames = std::make_shared<int>(0);
        player.SetKeySource([&pressing, frames](std::span<const std::uint8_t>) {
            switch (pressing.load()) {
                case kSpaceBar:
                    return Keys({kSpace});
                case kBackAndForth:
                    return Keys({++*frames % 8 < 4 ? kRight : kLeft});
                default:
                    return Keys({});
            }
        });
    }
    ASSERT_NO_FATAL_FAILURE(SeatBothAndStartTheGame());
    pressing = kSpaceBar;
    ASSERT_TRUE(
        RunUntil([&] { return Locked([&] { return app->state().gameState; }) == Running; }));
    pressing = kNothing;
    ASSERT_TRUE(RunUntil([&] { return BothSpaceBarsFree(); }));
    pressing = kBackAndForth;
    ASSERT_TRUE(RunUntil([&] { return EventsLogged(";Position;") >= 2; }));

    dialogs.boxOpenMs = 1500;  // the experimenter thinks it over, then says No
    const std::size_t movesBefore = EventsLogged(";Position;");
    app->RequestQuit();
    const std::size_t movesDuringTheBox = EventsLogged(";Position;") - movesBefore;

    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_FALSE(app->quitConfirmed());
    EXPECT_EQ(Locked([&] { return app->state().gameState; }), Running);
    EXPECT_GE(movesDuringTheBox, 4u) << "the figures went on moving behind the box";
    const std::size_t framesAfter = players[0].FramesReceived();
    ASSERT_TRUE(RunUntil([&] { return players[0].FramesReceived() >= framesAfter + 10; }));
    EXPECT_EQ(dialogs.questions.size(), 1u) << "nothing asks again after the answer";
    for (tools::TestClient& player : players) {
        EXPECT_EQ(player.RhythmViolations(), 0u);
    }
}

// What the test saw behind the box that reports a round file.
struct BehindTheBox {
    bool lockFree = false;
    std::int32_t gameState = -1;
    std::size_t framesAtFirst = 0;
    std::size_t framesAtLast = 0;
    bool clockWentOn = false;
    bool logLineShown = false;
    std::size_t messages = 0;
    std::size_t questions = 0;
};

// A full disk while a process may write files of at most `bytes`: every
// longer write fails (EFBIG where a full disk gives ENOSPC). For the
// lifetime of the object; the signal that would end the process on such a
// write is ignored meanwhile.
class FullDisk {
  public:
    explicit FullDisk(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { FreeSpace(); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    void FreeSpace() {
        if (!freed_) {
            ::setrlimit(RLIMIT_FSIZE, &before_);
            std::signal(SIGXFSZ, previousHandler_);
            freed_ = true;
        }
    }

  private:
    rlimit before_{};
    void (*previousHandler_)(int) = nullptr;
    bool freed_ = false;
};

// A full disk at a round's end: the round is reported in a box the main
// thread shows, while the network thread goes on: the round end completes,
// the round counts and waits in memory, and both players' screens keep being
// served for as long as the box is open. The close asked for behind the box
// is asked once it is closed. Once the disk has room, the waiting round is
// written before the next.
TEST_F(RoundPlay, ARoundFileThatCannotBeWrittenIsShownInABoxWhileThePlayGoesOn) {
    const MainThreadWatchdog watchdog(std::chrono::seconds(60));
    ASSERT_NO_FATAL_FAILURE(SeatBothAndStartTheGame());
    const std::string roundFile = Locked([&] { return app->engine().game().roundRecord.fileName; });
    ASSERT_FALSE(roundFile.empty());
    const std::filesystem::path inTheWay = dir.path() / "log" / roundFile;
    // A round file is a few hundred bytes.
    FullDisk disk(64);

    StateLock& lock = app->state().lock;
    QPlainTextEdit* logView = app->window()->Editor(control::kLog);
    BehindTheBox seen;
    // The program's last box (the credits) comes after this test's locals.
    struct ForgetTheBox {
        quib::server::testing::ScriptedDialogs& dialogs;
        ~ForgetTheBox() { dialogs.whileMessageOpen = nullptr; }
    } forget{dialogs};
    dialogs.whileMessageOpen = [&] {
        seen.lockFree = lock.try_lock();
        if (seen.lockFree) {
            lock.unlock();
        }
        seen.gameState = Locked([&] { return app->state().gameState; });
        seen.framesAtFirst = players[0].FramesReceived();
        // The experimenter clicks the close box while the box is open, and a
        // line is logged; the box's event loop serves the main loop.
        app->RequestQuit();
        PostLogMessage(app->state(), "hinter dem Kasten");
        const int secondAtFirst = app->state().lastSecond;
        const auto openSince = Clock::now();
        quib::testing::ProcessEventsUntil(
            [&] {
                seen.clockWentOn = app->state().lastSecond != secondAtFirst;
                seen.logLineShown = logView->toPlainText().contains("hinter dem Kasten");
                return seen.clockWentOn && seen.logLineShown &&
                       Clock::now() - openSince > std::chrono::milliseconds(1500);
            },
            std::chrono::seconds(5));
        seen.framesAtLast = players[0].FramesReceived();
        seen.messages = dialogs.messages.size();
        seen.questions = dialogs.questions.size();
    };

    ASSERT_NO_FATAL_FAILURE(PlayARoundToItsEnd());
    ASSERT_TRUE(RunUntil([&] { return !dialogs.messages.empty() && dialogs.openBoxes == 0; }));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].first, "Fehler!");
    EXPECT_EQ(dialogs.messages[0].second,
              "Kann Datei nicht schreiben: " + inTheWay.generic_string());
    EXPECT_FALSE(std::filesystem::exists(inTheWay));
    EXPECT_TRUE(seen.lockFree) << "the network thread held stateLock behind the box";
    EXPECT_EQ(seen.gameState, RoundOver) << "the round end did not complete behind the box";
    // 1.5 s behind the box: some 60 exchanges at 25 ms; a frozen screen gets
    // none.
    EXPECT_GE(seen.framesAtLast, seen.framesAtFirst + 20) << "the players' screens stood still";
    EXPECT_TRUE(seen.clockWentOn) << "the live time was not looked at behind the box";
    EXPECT_TRUE(seen.logLineShown) << "the log view was not brought up to date behind the box";
    EXPECT_EQ(seen.messages, 1u);
    EXPECT_EQ(seen.questions, 0u) << "the quit question was piled on the box";

    // The round counts and waits; the close asked for behind the box is
    // asked now (No).
    EXPECT_EQ(Locked([&] { return app->engine().game().statistics.totalRow.rounds; }), 1);
    EXPECT_TRUE(logView->toPlainText().contains(QString::fromStdString(roundFile)));
    ASSERT_TRUE(RunUntil([&] { return !dialogs.questions.empty(); }));
    EXPECT_FALSE(app->quitConfirmed());

    // The disk has room again: the next round's end writes the waiting
    // round first, then its own.
    disk.FreeSpace();
    ASSERT_NO_FATAL_FAILURE(BothPressSpaceAgain());
    std::string nextFile;
    ASSERT_TRUE(RunUntil([&] {
        return Locked([&] {
            nextFile = app->engine().game().roundRecord.fileName;
            return app->state().gameState == Running && nextFile != roundFile;
        });
    }));
    ASSERT_NO_FATAL_FAILURE(BothPressSpaceAgain());
    ASSERT_TRUE(
        RunUntil([&] { return std::filesystem::is_regular_file(dir.path() / "log" / nextFile); }));
    EXPECT_TRUE(std::filesystem::is_regular_file(inTheWay)) << "the waiting round was not written";
    EXPECT_EQ(dialogs.messages.size(), 1u);
    for (tools::TestClient& player : players) {
        EXPECT_EQ(player.RhythmViolations(), 0u);
    }
}

// --- Closing while rounds wait for their files -------------------------------

// A round ended while its round file could not be written: it counts and
// waits in memory. `inTheWay` blocks the round file.
class UnsavedRoundAtClose : public RoundPlay {
  protected:
    // The program's end asks until the rounds are settled: discarded here.
    void TearDown() override {
        dialogs.choiceAnswers = {2};
        app->Shutdown();
    }

    void PlayARoundThatCannotBeWritten() {
        ASSERT_NO_FATAL_FAILURE(SeatBothAndStartTheGame());
        roundFile = Locked([&] { return app->engine().game().roundRecord.fileName; });
        inTheWay = dir.path() / "log" / roundFile;
        ASSERT_TRUE(std::filesystem::create_directory(inTheWay));
        ASSERT_NO_FATAL_FAILURE(PlayARoundToItsEnd());
        ASSERT_TRUE(RunUntil([&] { return !dialogs.messages.empty(); }));
        ASSERT_TRUE(RunUntil([&] { return UnsavedRounds() == 1; }));
        dialogs.messages.clear();
    }

    std::size_t UnsavedRounds() {
        return Locked([&] { return app->engine().UnsavedRounds(); });
    }

    // The close box: "end while a game runs?" Yes, then the answers given
    // to the question about the unsaved round.
    void CloseAnswering(std::initializer_list<std::optional<std::size_t>> answers) {
        dialogs.yesNoAnswers = {true};
        dialogs.choiceAnswers = answers;
        app->RequestQuit();
    }

    std::string LogText() {
        app->Iterate();
        return app->window()->Editor(control::kLog)->toPlainText().toStdString();
    }

    std::string roundFile;
    std::filesystem::path inTheWay;
};

TEST_F(UnsavedRoundAtClose, TheQuestionNamesTheRoundsAndCancelGoesBackToTheProgram) {
    ASSERT_NO_FATAL_FAILURE(PlayARoundThatCannotBeWritten());
    CloseAnswering({std::nullopt});
    EXPECT_FALSE(app->quitConfirmed());
    ASSERT_EQ(dialogs.offeredChoices.size(), 1u);
    EXPECT_EQ(dialogs.offeredChoices[0],
              (std::vector<std::string>{"Erneut versuchen", "In anderen Ordner schreiben ...",
                                        "Verwerfen"}));
    EXPECT_EQ(dialogs.questions.back().second,
              "Noch nicht gespeicherte Runden: 1\nIhre Dateien konnten nicht geschrieben werden "
              "(volle Festplatte?). Erneut versuchen, in einen anderen, leeren Ordner schreiben "
              "oder verwerfen?");
    EXPECT_EQ(UnsavedRounds(), 1u);
}

TEST_F(UnsavedRoundAtClose, TryingAgainOnceTheDiskHasRoomWritesTheRoundAndEnds) {
    ASSERT_NO_FATAL_FAILURE(PlayARoundThatCannotBeWritten());
    // Still in the way: asked again, with the count unchanged.
    CloseAnswering({0, std::nullopt});
    EXPECT_FALSE(app->quitConfirmed());
    EXPECT_EQ(dialogs.offeredChoices.size(), 2u);
    std::filesystem::remove(inTheWay);
    CloseAnswering({0});
    EXPECT_TRUE(app->quitConfirmed());
    EXPECT_TRUE(std::filesystem::is_regular_file(inTheWay));
    EXPECT_EQ(UnsavedRounds(), 0u);
}

TEST_F(UnsavedRoundAtClose, WritingIntoAnotherFolderLeavesTheLabsFilesAndCompletesCopies) {
    ASSERT_NO_FATAL_FAILURE(PlayARoundThatCannotBeWritten());
    const std::string subjectBefore = quib::testing::ReadBytes(dir.path() / "log/p000000.csv");
    ScratchDirectory elsewhere;
    WriteBytes(elsewhere.path() / "note.txt", "another lab's");
    const std::filesystem::path empty = elsewhere.path() / "rescue";
    // A folder with files in it is refused; an empty one takes the rounds.
    dialogs.folderAnswers = {elsewhere.path(), empty};
    CloseAnswering({1, 1});
    EXPECT_TRUE(app->quitConfirmed());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].second,
              "Der Ordner ist nicht leer: " + elsewhere.path().string());

    EXPECT_TRUE(std::filesystem::is_regular_file(empty / "log" / roundFile));
    const std::string game = "g000000.csv";
    EXPECT_TRUE(std::filesystem::is_regular_file(empty / "log" / game));
    EXPECT_TRUE(std::filesystem::is_regular_file(empty / "log2" / game));
    EXPECT_NE(quib::testing::ReadBytes(empty / "log/p000000.csv").find("g000000.csv;"),
              std::string::npos)
        << "the subject's copy lacks the game's row";
    EXPECT_EQ(quib::testing::ReadBytes(dir.path() / "log/p000000.csv"), subjectBefore);
    EXPECT_TRUE(std::filesystem::is_directory(inTheWay));
    EXPECT_NE(LogText().find("Runden geschrieben in " + empty.string()), std::string::npos);
}

TEST_F(UnsavedRoundAtClose, DiscardingIsTheExperimentersWordAndIsLogged) {
    ASSERT_NO_FATAL_FAILURE(PlayARoundThatCannotBeWritten());
    CloseAnswering({2});
    EXPECT_TRUE(app->quitConfirmed());
    EXPECT_EQ(UnsavedRounds(), 0u);
    EXPECT_NE(LogText().find("Nicht gespeicherte Runden verworfen: 1"), std::string::npos);
}

}  // namespace
}  // namespace quib::server
