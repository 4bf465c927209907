// A whole game played through GameStep and the figures' animation, as the
// network thread drives them: four rounds, three won and a lost one, after
// which every file the researchers receive is compared byte for byte with a
// hand-written copy in data/scripted_game/ (laid out like the working
// directory: log/ and log2/).
//
// The game (g000000.csv, begun at 50000 ms, 14:05:07 on 09.03.24) is played
// at level 1 by Jürgen (seat 0, p000012.csv, who has played one game before
// with someone else) and Maren (seat 1, p000005.csv, new). Seat 0 starts
// every round on A ("Links Oben"), seat 1 on d ("Rechts Unten"); the figures
// move at "augenblicklich", seven animation updates per cell. The wall clock
// is set to the game's start time plus the milliseconds played whenever a
// round ends, so each round file shows its own writing time and the game
// files keep the time of the first round's end.

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/key_codes.h"
#include "tests/server/engine/record_fixture.h"

namespace quib::server {
namespace {

using quib::testing::ReadBytes;
using quib::testing::RecordFixture;
using quib::testing::WriteBytes;

// Both subject files as the subject selector created them (CR LF); the
// game's rewrite leaves LF alone. Jürgen's name is Windows-1252.
const char kJuergenBefore[] =
    "Spieler\r\n"
    "Spielernr.;000012\r\n"
    "Spielername;J\xFCrgen\r\n"
    "Kommentar;zweite Sitzung\\, ruhig\r\n"
    "Erstellt;08.03.24;15:30:00\r\n"
    "\r\n"
    "Punkte;7;Rekord;4\r\n"
    "Runden;12;Spielzeit;95000;00:01:35\r\n"
    "\r\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n"
    "g000001.csv;08.03.24 15:40:00;p000002.csv;7;4;12;95000;00:01:35;2;0\r\n";

const char kMarenBefore[] =
    "Spieler\r\n"
    "Spielernr.;000005\r\n"
    "Spielername;Maren\r\n"
    "Kommentar;\r\n"
    "Erstellt;09.03.24;14:02:30\r\n"
    "\r\n"
    "Punkte;0;Rekord;0\r\n"
    "Runden;0;Spielzeit;0;00:00:00\r\n"
    "\r\n"
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\r\n";

// Colour draws (range 0..3: rot, gelb, grün, blau) of one level-1 set-up:
// seat 0's cells A to D, seat 1's cells a to d, then the cell of seat 0
// copied and the cell of seat 1 it replaces.
const std::vector<int> kRoundDraws[] = {
    // rot gelb grün blau | blau rot gelb grün, B (gelb) into d
    {0, 1, 2, 3, 3, 0, 1, 2, 1, 3},
    // grün grün rot gelb | rot blau blau gelb, C (rot) into b
    {2, 2, 0, 1, 0, 3, 3, 1, 2, 1},
    // gelb rot gelb rot | grün blau grün blau, D (rot) into a
    {1, 0, 1, 0, 2, 3, 2, 3, 3, 0},
    // blau grün gelb rot | gelb gelb gelb gelb, D (rot) into c
    {3, 2, 1, 0, 1, 1, 1, 1, 3, 2},
};

class ScriptedGame : public RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        server::GameSettings& settings = state.settings;
        settings.speed = 4;
        settings.speedText = "augenblicklich";
        settings.start = {2, 6};
        settings.startText = {"Links Oben", "Rechts Unten"};
        settings.figure = {1, 2};
        settings.figureText = {"figur0.png", "figur2.png"};
        settings.startToggleDown = true;
        for (const std::vector<int>& draws : kRoundDraws) {
            random->Queue(kHighestRandomColour, draws);
        }

        juergenFile = logDir() / "p000012.csv";
        marenFile = logDir() / "p000005.csv";
        WriteBytes(juergenFile, kJuergenBefore);
        WriteBytes(marenFile, kMarenBefore);
        Subject(0, 12, "J\xFCrgen", juergenFile, 7, 4, 12, 95000);
        Subject(1, 5, "Maren", marenFile, 0, 0, 0, 0);
        state.gameState = server::SetUp;
    }

    void Subject(int s, std::int32_t number, const char* name, const std::filesystem::path& file,
                 std::int32_t points, std::int32_t record, std::int32_t rounds, std::int32_t ms) {
        SubjectRecord& subject = state.subjects[s];
        subject.subjectNumber = number;
        subject.subjectName = name;
        subject.subjectFile = Shown(file);
        subject.totalPoints = points;
        subject.record = record;
        subject.totalRounds = rounds;
        subject.totalPlayMs = ms;
        // Neither has played with the other before: nothing with the partner.
        subject.roundsWithPartner = 0;
        subject.msWithPartner = 0;
    }

    // One pass's game step at `atMs`, with the keys both clients reported
    // last.
    void Step(std::uint32_t atMs, std::initializer_list<std::int32_t> seat0Keys,
              std::initializer_list<std::int32_t> seat1Keys) {
        now = atMs;
        Report(0, seat0Keys);
        Report(1, seat1Keys);
        engine->GameStep(now);
    }

    // The step that ends a round; the wall clock stands where the game's
    // start (14:05:07 at 50000 ms) puts that moment.
    void EndingStep(std::uint32_t atMs, std::initializer_list<std::int32_t> seat0Keys,
                    std::initializer_list<std::int32_t> seat1Keys) {
        const std::uint32_t seconds = 7 + (atMs - 50000) / 1000;
        clock = {
            2024, 3, 9, 14, static_cast<int>(5 + seconds / 60), static_cast<int>(seconds % 60)};
        Step(atMs, seat0Keys, seat1Keys);
        ASSERT_EQ(state.gameState, RoundOver);
    }

    // The seat's update frames at `atMs`, until its figure stands on its
    // target: the last of them logs the arrival.
    void Arrive(int s, std::uint32_t atMs) {
        now = atMs;
        ASSERT_FALSE(seat(s).shownX == seat(s).targetX && seat(s).shownY == seat(s).targetY)
            << "seat " << s << " has nowhere to go";
        for (int update = 0; update < 10; ++update) {
            engine->ComposeUpdateFrame(s, now);
            engine->links().links[s].sender.FinishFrame();
            if (seat(s).shownX == seat(s).targetX && seat(s).shownY == seat(s).targetY) {
                return;
            }
        }
        FAIL() << "seat " << s << "'s figure did not arrive";
    }

    // Both let go of the space bar that ended the round and press it again;
    // the presses are not part of any round.
    void Continue(std::uint32_t releaseMs, std::uint32_t pressMs) {
        Step(releaseMs, {}, {});
        Step(pressMs, {kKeySpace}, {kKeySpace});
        ASSERT_EQ(state.gameState, server::SetUp);
    }

    // A missing data file reads as empty, as does a file never written: the
    // two must not pass as equal.
    void ExpectFile(const std::filesystem::path& written, std::string_view expected) {
        const std::string text = ExpectedFile("scripted_game/" + std::string(expected));
        ASSERT_FALSE(text.empty()) << expected;
        EXPECT_EQ(ReadBytes(written), text) << expected;
    }

    std::filesystem::path juergenFile;
    std::filesystem::path marenFile;
};

TEST_F(ScriptedGame, ThreeWonRoundsAndALostOneLeaveTheirFiles) {
    // Round 1, set up at 51000: Jürgen is ready first, Maren starts the round.
    // Maren goes up from d to b: A rot against b rot, won.
    Step(51000, {}, {});
    ASSERT_EQ(state.gameState, WaitStart);
    Step(52000, {kKeySpace}, {});
    Step(53500, {kKeySpace}, {kKeySpace});
    ASSERT_EQ(state.gameState, server::Running);
    Step(54000, {}, {});
    Step(55000, {}, {kKeyUp});
    Step(55200, {}, {});
    Arrive(1, 55400);
    Step(56000, {kKeySpace}, {});
    EndingStep(57200, {kKeySpace}, {kKeySpace});
    EXPECT_EQ(engine->game().roundRecord.won, 1);
    Continue(58000, 58500);

    // Round 2, set up at 59500; both are still ready, so it starts at the
    // next step. Jürgen goes right, then down to D; Maren's right arrow
    // points off the board, and Jürgen's down arrow while his figure still
    // travels is dropped. D gelb against d gelb, won.
    Step(59500, {}, {});
    Step(60000, {}, {});
    ASSERT_EQ(state.gameState, server::Running);
    Step(60200, {}, {});
    Step(61000, {kKeyRight}, {kKeyRight});
    Step(61100, {kKeyDown}, {});
    Arrive(0, 61300);
    Step(62000, {kKeyDown}, {});
    Arrive(0, 62250);
    Step(63000, {}, {kKeySpace});
    EndingStep(64100, {kKeySpace}, {kKeySpace});
    EXPECT_EQ(engine->game().roundRecord.won, 1);
    Continue(65000, 65500);

    // Round 3, set up at 66000: both move in the same step, Maren's figure
    // arrives first; Maren goes on up to a and both end together. B rot
    // against a rot, won.
    Step(66000, {}, {});
    Step(66040, {}, {});
    Step(66100, {}, {});
    Step(67000, {kKeyRight}, {kKeyLeft});
    Arrive(1, 67300);
    Arrive(0, 67600);
    Step(68000, {}, {kKeyUp});
    Arrive(1, 68500);
    EndingStep(69000, {kKeySpace}, {kKeySpace});
    EXPECT_EQ(engine->game().roundRecord.won, 1);
    Continue(70000, 70500);

    // Round 4, set up at 71000: Jürgen goes right to B. B grün against d
    // gelb, lost after 7999 ms.
    Step(71000, {}, {});
    Step(72000, {}, {});
    Step(72100, {}, {});
    Step(73000, {kKeyRight}, {});
    Arrive(0, 73450);
    Step(75000, {kKeySpace}, {});
    EndingStep(78999, {kKeySpace}, {kKeySpace});
    EXPECT_EQ(engine->game().roundRecord.won, 0);

    EXPECT_TRUE(boxes.shown.empty());
    for (const char* round : {"r000000.csv", "r000001.csv", "r000002.csv", "r000003.csv"}) {
        ExpectFile(logDir() / round, std::string("log/") + round);
    }
    ExpectFile(logDir() / "g000000.csv", "log/g000000.csv");
    ExpectFile(log2Dir() / "g000000.csv", "log2/g000000.csv");
    ExpectFile(juergenFile, "log/p000012.csv");
    ExpectFile(marenFile, "log/p000005.csv");

    const GameRecord& game = engine->game().gameRecord;
    EXPECT_EQ(game.rounds, 4);
    EXPECT_EQ(game.points, 3);
    EXPECT_EQ(game.best, 3);
    EXPECT_EQ(game.streak, 0);
    EXPECT_EQ(game.activeMs, 21799);
    EXPECT_EQ(engine->game().statistics.currentSeries, 0);
    EXPECT_EQ(engine->game().statistics.bestSeries, 3);
    EXPECT_EQ(engine->game().positionLogCount, 11);
    EXPECT_TRUE(engine->game().positionLogText.empty());
    // Every set-up reseeded the generator from its own time.
    EXPECT_EQ(random->seeds, (std::vector<std::uint32_t>{51000, 59500, 66000, 71000}));

    // The subjects' counters moved exactly as their files did; Jürgen's
    // record of 4 stays above the game's best run.
    const SubjectRecord& juergen = state.subjects[0];
    EXPECT_EQ(juergen.totalPoints, 10);
    EXPECT_EQ(juergen.record, 4);
    EXPECT_EQ(juergen.totalRounds, 16);
    EXPECT_EQ(juergen.totalPlayMs, 116799);
    EXPECT_EQ(juergen.roundsWithPartner, 4);
    EXPECT_EQ(juergen.msWithPartner, 21799);
    const SubjectRecord& maren = state.subjects[1];
    EXPECT_EQ(maren.totalPoints, 3);
    EXPECT_EQ(maren.record, 3);
    EXPECT_EQ(maren.totalRounds, 4);
    EXPECT_EQ(maren.totalPlayMs, 21799);
    EXPECT_EQ(maren.roundsWithPartner, 4);
    EXPECT_EQ(maren.msWithPartner, 21799);
}

}  // namespace
}  // namespace quib::server
