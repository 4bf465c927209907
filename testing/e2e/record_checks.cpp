#include "testing/e2e/record_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>

#include "common/file_io.h"
#include "server/core/texts.h"
#include "server/records/records_check.h"
#include "server/records/session_file.h"
#include "testing/e2e/export_checks.h"
#include "testing/scratch_directory.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kGameFile = "g000000.csv";
const std::string kSubjectFiles[2] = {"p000000.csv", "p000001.csv"};
const std::string kSpeed = "augenblicklich";

std::string Letter(int seat, int cell) {
    return std::string(1, static_cast<char>((seat == 0 ? 'A' : 'a') + cell));
}

std::string Clock(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        joined += (i == 0 ? "" : separator) + parts[i];
    }
    return joined;
}

int CellAfter(int cell, Arrow arrow) {
    return cell + (arrow == Arrow::Right ? 1 : 2);
}

std::string ArrowWord(Arrow arrow) {
    return arrow == Arrow::Right ? "Rechts" : "Runter";
}

std::vector<std::string> Words(const Board& board) {
    std::vector<std::string> words;
    for (int colour : board) {
        words.push_back(kColourWords[static_cast<std::size_t>(colour)]);
    }
    return words;
}

// "Ab,Cd": every pair of cells, seat 0's outer, that show the same stimulus.
std::string MatchList(const PlayedRound& round) {
    std::vector<std::string> pairs;
    for (int r = 0; r < 4; ++r) {
        for (int s = 0; s < 4; ++s) {
            if (round.seat0[static_cast<std::size_t>(r)] ==
                round.seat1[static_cast<std::size_t>(s)]) {
                pairs.push_back(Letter(0, r) + Letter(1, s));
            }
        }
    }
    return Join(pairs, ",");
}

std::string PlayerLine(int seat, const GameChoices& choices) {
    return "Spieler " + std::to_string(seat + 1) + ":;" +
           (seat == 0 ? choices.subject0 : choices.subject1) + ";Nummer:;00000" +
           std::to_string(seat) + ";Datei:;" + kSubjectFiles[seat];
}

// The event lines a round must have, as seat;kind;information: the start
// presses (first round only: later rounds are started by the presses that
// continue the game, which are not logged), the start, each player's moves
// with their arrivals (the test moves player 1 first, then player 2), and
// the two presses that end the round.
std::vector<std::string> ExpectedEvents(const PlayedRound& round, bool first) {
    std::vector<std::string> events;
    if (first) {
        events = {"1;Taste;Leertaste", "2;Taste;Leertaste"};
    }
    events.push_back("0;Start;");
    for (int seat = 0; seat < 2; ++seat) {
        int cell = 0;
        for (Arrow arrow : seat == 0 ? round.arrows0 : round.arrows1) {
            cell = CellAfter(cell, arrow);
            const std::string who = std::to_string(seat + 1);
            events.push_back(who + ";Taste;" + ArrowWord(arrow));
            events.push_back(who + ";Position;" + Letter(seat, cell));
        }
    }
    events.push_back("1;Taste;Leertaste");
    events.push_back("2;Taste;Leertaste");
    return events;
}

// Checks one round file; returns the round's duration in ms.
int CheckRoundFile(const fs::path& file, int index, const GameChoices& choices,
                   const PlayedRound& round) {
    SCOPED_TRACE(file.string());
    const std::vector<std::string> lines = ReadLines(file);
    if (lines.size() < 26) {
        ADD_FAILURE() << "round file too short: " << lines.size() << " lines";
        return 0;
    }
    EXPECT_EQ(lines[0], "Rundenprotokoll");
    EXPECT_EQ(lines[1], "Spiel:;000000;Datei:;" + kGameFile);
    EXPECT_EQ(lines[2], "Runde:;" + std::to_string(index + 1));
    EXPECT_EQ(lines[3], PlayerLine(0, choices));
    EXPECT_EQ(lines[4], PlayerLine(1, choices));
    EXPECT_EQ(lines[8], std::string("Ergebniss:;") + (round.Won() ? "Gewonnen" : "Verloren"));
    EXPECT_EQ(lines[11], "Level:;1;1");
    EXPECT_EQ(lines[12], "Figur:;" + choices.figure0 + ";" + choices.figure1);
    EXPECT_EQ(lines[13], "Anzeige:;offen;offen");
    EXPECT_EQ(lines[14], "Geschwindigkeit:;" + kSpeed + ";" + kSpeed);
    EXPECT_EQ(lines[16], "Startposition:;A;a");
    EXPECT_EQ(lines[17], "Endposition:;" + Letter(0, round.end0) + ";" + Letter(1, round.end1));
    EXPECT_EQ(lines[18], "Z\xFCge:;" + std::to_string(round.arrows0.size()) + ";" +
                             std::to_string(round.arrows1.size()));
    const std::vector<std::string> w0 = Words(round.seat0);
    const std::vector<std::string> w1 = Words(round.seat1);
    EXPECT_EQ(lines[20], ";A/C;B/D;;a/c;b/d");
    EXPECT_EQ(lines[21], "A/B;" + w0[0] + ";" + w0[1] + ";a/b;" + w1[0] + ";" + w1[1]);
    EXPECT_EQ(lines[22], "C/D;" + w0[2] + ";" + w0[3] + ";c/d;" + w1[2] + ";" + w1[3]);
    EXPECT_EQ(lines[24], "Rundenzeit (ms);Zeit;Spieler;Art;Information");

    std::vector<std::string> events;
    long previous = -1;
    for (std::size_t i = 25; i < lines.size(); ++i) {
        const std::vector<std::string> f = SplitFields(lines[i]);
        if (f.size() != 5) {
            ADD_FAILURE() << "event line with " << f.size() << " fields: " << lines[i];
            continue;
        }
        const long t = std::stol(f[0]);
        EXPECT_GE(t, previous) << "event times go back: " << lines[i];
        EXPECT_EQ(f[1], Clock(static_cast<int>(t / 1000)));
        previous = t;
        events.push_back(f[2] + ";" + f[3] + ";" + f[4]);
    }
    EXPECT_EQ(events, ExpectedEvents(round, index == 0));

    const std::vector<std::string> duration = SplitFields(lines[7]);
    EXPECT_EQ(duration.size(), 2u);
    EXPECT_EQ(duration[0], "Spieldauer:");
    const int ms = duration.size() == 2 ? std::stoi(duration[1]) : 0;
    EXPECT_GE(ms, previous) << "the round lasted until its last event";
    return ms;
}

// Lines 1 to 19 of the game and the position file (line 1 and the column
// titles differ); the values are those after the last round.
void CheckGameHeader(const std::vector<std::string>& lines, const std::string& title,
                     const GameChoices& choices, int points, int best, int rounds, int activeMs) {
    ASSERT_GE(lines.size(), 19u);
    EXPECT_EQ(lines[0], title);
    EXPECT_EQ(lines[1], "Spiel:;000000;Datei:;" + kGameFile);
    EXPECT_EQ(lines[3], PlayerLine(0, choices));
    EXPECT_EQ(lines[4], PlayerLine(1, choices));
    EXPECT_EQ(lines[6], "Einstellungen;Spieler 1;Spieler 2");
    EXPECT_EQ(lines[7], "Level:;1;1");
    EXPECT_EQ(lines[8], "Figur:;" + choices.figure0 + ";" + choices.figure1);
    EXPECT_EQ(lines[9], "Anzeige:;offen;offen");
    EXPECT_EQ(lines[10], "Geschwindigkeit:;" + kSpeed + ";" + kSpeed);
    EXPECT_EQ(lines[12], "Startposition:;Links Oben;<- Selbe");
    EXPECT_EQ(lines[14],
              "Punkte:;" + std::to_string(points) + ";Highscore:;" + std::to_string(best));
    EXPECT_EQ(lines[15], "Runden:;" + std::to_string(rounds));
    const std::vector<std::string> playTime = SplitFields(lines[16]);
    ASSERT_EQ(playTime.size(), 4u) << lines[16];
    EXPECT_EQ(playTime[0], "Spielzeit:");
    EXPECT_EQ(playTime[2], "davon aktiv:");
    EXPECT_EQ(playTime[3], Clock(activeMs / 1000));
    EXPECT_GE(playTime[1], playTime[3]) << "the game lasted at least its active time";
}

void CheckGameFile(const fs::path& file, const GameChoices& choices,
                   const std::vector<PlayedRound>& rounds, const std::vector<int>& durations,
                   int points, int best, int activeMs) {
    SCOPED_TRACE(file.string());
    const std::vector<std::string> lines = ReadLines(file);
    CheckGameHeader(lines, "Spielprotokoll (Verweisend)", choices, points, best,
                    static_cast<int>(rounds.size()), activeMs);
    ASSERT_EQ(lines.size(), 19 + rounds.size());
    EXPECT_EQ(SplitFields(lines[18]).size(), 23u);
    int sum = 0;
    int streak = 0;
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        const PlayedRound& round = rounds[i];
        sum += round.Won() ? 1 : 0;
        streak = round.Won() ? streak + 1 : 0;
        std::vector<std::string> expected = {
            std::to_string(durations[i]), Clock(durations[i] / 1000),
            std::to_string(i + 1),        "r00000" + std::to_string(i) + ".csv",
            round.Won() ? "1" : "0",      std::to_string(sum),
            std::to_string(streak)};
        for (const auto& words : {Words(round.seat0), Words(round.seat1)}) {
            expected.insert(expected.end(), words.begin(), words.end());
        }
        expected.insert(expected.end(), {"A", "a", Letter(0, round.end0), Letter(1, round.end1),
                                         std::to_string(round.arrows0.size()),
                                         std::to_string(round.arrows1.size())});
        const std::vector<std::string> f = SplitFields(lines[19 + i]);
        ASSERT_EQ(f.size(), 23u) << lines[19 + i];
        // Fields 1 and 2 are the time from the game's start to the round's
        // set-up, which the test does not know.
        EXPECT_EQ(f[1], Clock(std::stoi(f[0]) / 1000));
        EXPECT_EQ(std::vector<std::string>(f.begin() + 2, f.end()), expected) << lines[19 + i];
    }
}

void CheckPositionFile(const fs::path& file, const GameChoices& choices,
                       const std::vector<PlayedRound>& rounds, int points, int best, int activeMs) {
    SCOPED_TRACE(file.string());
    const std::vector<std::string> lines = ReadLines(file);
    CheckGameHeader(lines, "Spielprotokoll", choices, points, best, static_cast<int>(rounds.size()),
                    activeMs);
    ASSERT_GE(lines.size(), 19u);
    EXPECT_EQ(lines[18],
              "Zug;Zeit;Rundenzeit;Runde;vorherige Runde erfolgreich?;Punkte in Folge;"
              "A;B;C;D;a;b;c;d;Position Spieler 1;Position Spieler 2;M\xF6gliche Zielstimuli");
    // One line per round start and per arrival, with both figures' cells
    // as they stood then.
    std::vector<std::string> expected;
    int prevWon = 0;
    int streak = 0;
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        const PlayedRound& round = rounds[i];
        const std::string boards =
            Join(Words(round.seat0), ";") + ";" + Join(Words(round.seat1), ";");
        const std::string prefix = std::to_string(i + 1) + ";" + std::to_string(prevWon) + ";" +
                                   std::to_string(streak) + ";" + boards + ";";
        int cells[2] = {0, 0};
        expected.push_back(prefix + "A;a;" + MatchList(round));
        for (int seat = 0; seat < 2; ++seat) {
            for (Arrow arrow : seat == 0 ? round.arrows0 : round.arrows1) {
                cells[seat] = CellAfter(cells[seat], arrow);
                expected.push_back(prefix + Letter(0, cells[0]) + ";" + Letter(1, cells[1]) + ";");
            }
        }
        prevWon = round.Won() ? 1 : 0;
        streak = round.Won() ? streak + 1 : 0;
    }
    std::vector<std::string> written;
    for (std::size_t i = 19; i < lines.size(); ++i) {
        const std::vector<std::string> f = SplitFields(lines[i]);
        ASSERT_EQ(f.size(), 17u) << lines[i];
        EXPECT_EQ(f[0], std::to_string(i - 19)) << "moves are numbered from 0";
        // Fields 2 and 3 are clock times the test does not know.
        written.push_back(Join(std::vector<std::string>(f.begin() + 3, f.end()), ";"));
    }
    EXPECT_EQ(written, expected);
}

void CheckSubjectFile(const fs::path& file, int seat, const GameChoices& choices, int rounds,
                      int points, int best, int activeMs) {
    SCOPED_TRACE(file.string());
    const std::vector<std::string> lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "Spieler");
    EXPECT_EQ(lines[1], "Spielernr.;00000" + std::to_string(seat));
    EXPECT_EQ(lines[2], "Spielername;" + (seat == 0 ? choices.subject0 : choices.subject1));
    EXPECT_EQ(lines[3], "Kommentar;");
    EXPECT_EQ(lines[6], "Punkte;" + std::to_string(points) + ";Rekord;" + std::to_string(best));
    EXPECT_EQ(lines[7], "Runden;" + std::to_string(rounds) + ";Spielzeit;" +
                            std::to_string(activeMs) + ";" + Clock(activeMs / 1000));
    EXPECT_EQ(lines[9],
              "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;"
              "Anzeige");
    std::vector<std::string> row = SplitFields(lines[10]);
    ASSERT_EQ(row.size(), 10u) << lines[10];
    EXPECT_TRUE(std::regex_match(row[1], std::regex(R"(\d\d\.\d\d\.\d\d \d\d:\d\d:\d\d)")))
        << row[1];
    row.erase(row.begin() + 1);
    const std::vector<std::string> expected = {kGameFile,
                                               kSubjectFiles[1 - seat],
                                               std::to_string(points),
                                               std::to_string(best),
                                               std::to_string(rounds),
                                               std::to_string(activeMs),
                                               Clock(activeMs / 1000),
                                               "1",
                                               "1"};
    EXPECT_EQ(row, expected);
}

}  // namespace

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::istringstream text(quib::testing::ReadBytes(file));
    std::string line;
    while (std::getline(text, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

// The run's session file, read while the server still runs: both players'
// computers named, and game 0 started with both of them.
namespace {

void CheckSessionFile(const fs::path& serverDir) {
    const std::optional<std::string> text =
        ReadWholeFile(serverDir / server::kSessionFolderName / "s000001.csv");
    ASSERT_TRUE(text) << "no session file";
    const server::SessionFile session = server::ParseSessionFile(*text);
    EXPECT_TRUE(session.headerRead);
    EXPECT_TRUE(session.problems.empty()) << session.problems.front().text;
    std::set<std::string> seen;
    for (const auto& [line, event] : session.events) {
        seen.insert(std::string(server::SessionEventCode(event.kind)) + " " +
                    (event.seat ? std::to_string(*event.seat) : "") + " " +
                    (event.game ? std::to_string(*event.game) : "") + " " +
                    (event.host.empty() ? "nohost" : "host"));
    }
    for (const char* expected : {"seat_taken 1  host", "seat_taken 2  host",
                                 "game_started 1 0 host", "game_started 2 0 host"}) {
        EXPECT_TRUE(seen.contains(expected)) << expected << " missing from the session file";
    }
}

}  // namespace

void CheckRecords(const fs::path& serverDir, const GameChoices& choices,
                  const std::vector<PlayedRound>& rounds) {
    const fs::path log = serverDir / "log";
    std::vector<int> durations;
    int points = 0;
    int best = 0;
    int streak = 0;
    int activeMs = 0;
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        durations.push_back(CheckRoundFile(log / ("r00000" + std::to_string(i) + ".csv"),
                                           static_cast<int>(i), choices, rounds[i]));
        activeMs += durations.back();
        points += rounds[i].Won() ? 1 : 0;
        streak = rounds[i].Won() ? streak + 1 : 0;
        best = std::max(best, streak);
    }
    EXPECT_FALSE(fs::exists(log / ("r00000" + std::to_string(rounds.size()) + ".csv")));
    CheckGameFile(log / kGameFile, choices, rounds, durations, points, best, activeMs);
    CheckPositionFile(serverDir / "log2" / kGameFile, choices, rounds, points, best, activeMs);
    for (int seat = 0; seat < 2; ++seat) {
        CheckSubjectFile(log / kSubjectFiles[seat], seat, choices, static_cast<int>(rounds.size()),
                         points, best, activeMs);
    }
    CheckSessionFile(serverDir);
    // And the files agree with each other as quib_server --check-records
    // sees them.
    const server::RecordsCheck check = server::CheckRecords(serverDir, server::ServerTexts());
    EXPECT_EQ(check.unusable, "");
    EXPECT_EQ(check.rounds, static_cast<int>(rounds.size()));
    EXPECT_EQ(check.subjects, 2);
    for (const server::RecordProblem& problem : check.problems) {
        ADD_FAILURE() << server::ProblemLine(problem);
    }
    // And quib_export makes tables of them that agree with the files.
    CheckExport(serverDir, serverDir.parent_path() / "export");
}

}  // namespace quib::e2e
