// The record files' texts from a finished round alone: no engine, no disk.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "server/records/game_files.h"
#include "server/records/record_text.h"
#include "server/records/round_lines.h"
#include "server/records/subject_rounds.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

// The second round of a game begun at 50000 ms: won, the game's first point.
FinishedRound SecondRound() {
    FinishedRound round;
    round.game = {0, "g000000.csv", {2024, 3, 9, 14, 5, 7}, 50000, 1, 1, 1, 2, 7700};
    round.fileName = "r000001.csv";
    round.startMs = 60000;
    round.endMs = 63500;
    round.won = 1;
    round.positionLines = "3;00:00:11;00:00:01;2;0;0;rot;...\n";
    const char* names[] = {"Anna", "Ben"};
    for (int s = 0; s < 2; ++s) {
        RecordedSeat& seat = round.seats[s];
        seat.subject.subjectNumber = 3 + 4 * s;
        seat.subject.subjectName = names[s];
        seat.subject.subjectFile = "/lab/log/p00000" + std::to_string(3 + 4 * s) + ".csv";
        seat.level = 1;
        seat.pictureName = "figur0.png";
        seat.displayMode = 2;
        seat.startCell = s == 0 ? 0 : 3;
        seat.endCell = 1;
        seat.moves = 1 - s;
        seat.stimuli = {"rot", "gelb", "gr\xFCn", "blau"};
    }
    round.speedText = "Normal";
    round.startTexts = {"Links Oben", "Rechts Unten"};
    round.recordedAtMs = 64000;
    round.recordedAt = {2024, 3, 9, 14, 20, 0};
    return round;
}

// An existing game file keeps every line it has; only the totals on lines 15
// to 17 follow the game, and the round's row is appended.
TEST(GameFileText, ExistingFileGetsItsTotalsAndTheRoundsRow) {
    std::string existing;
    for (int line = 1; line <= 19; ++line) {
        existing += line == 15   ? "Punkte:;0;Highscore:;0\n"
                    : line == 16 ? "Runden:;1\n"
                    : line == 17 ? "Spielzeit:;00:00:05;davon aktiv:;00:00:04\n"
                                 : "line " + std::to_string(line) + "\n";
    }
    const ServerTexts texts;

    const std::string text = GameFileText(GameFileKind::Game, existing, SecondRound(), texts);

    std::string expected = existing;
    expected.replace(expected.find("Punkte:;0;Highscore:;0"), 22, "Punkte:;1;Highscore:;1");
    expected.replace(expected.find("Runden:;1"), 9, "Runden:;2");
    expected.replace(expected.find("00:00:05;davon aktiv:;00:00:04"), 30,
                     "00:00:14;davon aktiv:;00:00:07");
    expected +=
        "10000;00:00:10;3500;00:00:03;2;r000001.csv;1;1;1;"
        "rot;gelb;gr\xFCn;blau;rot;gelb;gr\xFCn;blau;A;d;B;b;1;0\n";
    EXPECT_EQ(text, expected);
}

// A new position file starts with the header, "verdeckt" for the covered
// display, and takes the round's waiting position lines.
TEST(GameFileText, NewPositionFileHasTheHeaderAndThePositionLines) {
    const ServerTexts texts;
    const FinishedRound round = SecondRound();

    const std::string text = GameFileText(GameFileKind::Positions, std::nullopt, round, texts);

    EXPECT_EQ(text.substr(0, text.find('\n')), texts[txt::kGameProtocol]);
    EXPECT_NE(text.find("\nAnzeige:;verdeckt;verdeckt\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nSpieler 2:;Ben;Nummer:;000007;Datei:;p000007.csv\n"), std::string::npos)
        << text;
    ASSERT_GT(text.size(), round.positionLines.size());
    EXPECT_EQ(text.substr(text.size() - round.positionLines.size()), round.positionLines);
}

// Anna's subject file after the first, lost round of g000000.csv: she had
// played g000099.csv with Ben before.
const std::string kAnnaTitle =
    "Spieler\nSpielernr.;000003\nSpielername;Anna\nKommentar;\nErstellt;01.03.24;10:00:00\n\n";
const std::string kAnnaColumns =
    "\nSpieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n";
const std::string kOlderGame =
    "g000099.csv;01.03.24 10:05:00;p000007.csv;5;2;8;55800;00:00:55;1;1\n";
const std::string kRoundOneRow =
    "g000000.csv;09.03.24 14:05:07;p000007.csv;0;0;1;4200;00:00:04;1;0\n";
// The game's row after SecondRound, and the same round lost.
const std::string kRoundTwoRow =
    "g000000.csv;09.03.24 14:05:07;p000007.csv;1;1;2;7700;00:00:07;1;0\n";
const std::string kLostRoundTwoRow =
    "g000000.csv;09.03.24 14:05:07;p000007.csv;0;0;2;7700;00:00:07;1;0\n";

std::string Totals(const std::string& points, const std::string& rounds) {
    return "Punkte;" + points + "\nRunden;" + rounds + "\n";
}

std::string WithCrLf(const std::string& text) {
    std::string result;
    for (const char c : text) {
        result += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return result;
}

FinishedRound LostSecondRound() {
    FinishedRound round = SecondRound();
    round.won = 0;
    round.game.points = 0;
    round.game.best = 0;
    round.game.streak = 0;
    return round;
}

struct Counters {
    std::int32_t points, record, rounds, playMs, roundsWithPartner, msWithPartner;
    bool operator==(const Counters&) const = default;
};

Counters CountersOf(const SubjectRecord& s) {
    return {s.totalPoints,       s.record,       s.totalRounds, s.totalPlayMs,
            s.roundsWithPartner, s.msWithPartner};
}

void PrintTo(const Counters& c, std::ostream* os) {
    *os << c.points << "/" << c.record << "/" << c.rounds << "/" << c.playMs << "/"
        << c.roundsWithPartner << "/" << c.msWithPartner;
}

struct SubjectRoundCase {
    const char* name;
    std::string before;
    std::string after;
    Counters counters;  // of the subject handed back
    FinishedRound round = SecondRound();
};

class SubjectFileAfterRoundTest : public ::testing::TestWithParam<SubjectRoundCase> {};

// The totals grow by what the game's row gained against the row the file
// has; the program's lines come out trimmed with LF, the rest as it was. The
// same round applied to the result changes nothing.
TEST_P(SubjectFileAfterRoundTest, BuildsOnTheFileAndIsIdempotent) {
    const SubjectRoundCase& c = GetParam();
    const ServerTexts texts;

    const std::optional<SubjectUpdate> update = SubjectFileAfterRound(c.before, 0, c.round, texts);

    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->text, c.after);
    EXPECT_EQ(CountersOf(update->subject), c.counters);
    EXPECT_EQ(update->subject.subjectFile, "/lab/log/p000003.csv");
    EXPECT_EQ(update->subject.subjectNumber, 3);
    EXPECT_EQ(update->subject.subjectName, "Anna");

    const std::optional<SubjectUpdate> again =
        SubjectFileAfterRound(update->text, 0, c.round, texts);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->text, update->text);
    EXPECT_EQ(CountersOf(again->subject), c.counters);
}

const std::string kNoteAbove =
    "Notiz: m\xFC"
    "de, 2 Runden Pause\r\n";
const std::string kNoteBetween = " Pause;10 min;p000007.csv;99;99;99;99 \n";

INSTANTIATE_TEST_SUITE_P(
    Files, SubjectFileAfterRoundTest,
    ::testing::Values(
        SubjectRoundCase{"WonRoundAsWritten",
                         kAnnaTitle + Totals("5;Rekord;0", "9;Spielzeit;60000;00:01:00") +
                             kAnnaColumns + kOlderGame + kRoundOneRow,
                         kAnnaTitle + Totals("6;Rekord;1", "10;Spielzeit;63500;00:01:03") +
                             kAnnaColumns + kOlderGame + kRoundTwoRow,
                         {6, 1, 10, 63500, 10, 63500}},
        SubjectRoundCase{"LostRoundLeavesThePointsLine",
                         kAnnaTitle + Totals(" 5 ;Rekord;0", "9;Spielzeit;60000;00:01:00") +
                             kAnnaColumns + kOlderGame + kRoundOneRow,
                         kAnnaTitle + Totals(" 5 ;Rekord;0", "10;Spielzeit;63500;00:01:03") +
                             kAnnaColumns + kOlderGame + kLostRoundTwoRow,
                         {5, 0, 10, 63500, 10, 63500},
                         LostSecondRound()},
        // As created (CR LF), without the game's row: its first round's
        // update was never written, and this one catches it up.
        SubjectRoundCase{
            "CreatedWithCrLfAndTheGamesRowMissing",
            WithCrLf(kAnnaTitle + Totals("0;Rekord;0", "0;Spielzeit;0;00:00:00") + kAnnaColumns),
            kAnnaTitle + Totals("1;Rekord;1", "2;Spielzeit;7700;00:00:07") + kAnnaColumns +
                kRoundTwoRow,
            {1, 1, 2, 7700, 2, 7700}},
        SubjectRoundCase{
            "NotesAboveTheTotalsAndBetweenTheRowsAreKept",
            kAnnaTitle + kNoteAbove + Totals("5;Rekord;0", "9;Spielzeit;60000;00:01:00") +
                kAnnaColumns + kOlderGame + kNoteBetween + kRoundOneRow + "Ende der Sitzung",
            kAnnaTitle + kNoteAbove + Totals("6;Rekord;1", "10;Spielzeit;63500;00:01:03") +
                kAnnaColumns + kOlderGame + kNoteBetween + kRoundTwoRow + "Ende der Sitzung",
            {6, 1, 10, 63500, 10, 63500}},
        SubjectRoundCase{"RowAddedAfterALastNoteWithoutLineEnd",
                         kAnnaTitle + Totals("5;Rekord;0", "8;Spielzeit;55800;00:00:55") +
                             kAnnaColumns + kOlderGame + "Notiz\r",
                         kAnnaTitle + Totals("6;Rekord;1", "10;Spielzeit;63500;00:01:03") +
                             kAnnaColumns + kOlderGame + "Notiz\r\n" + kRoundTwoRow,
                         {6, 1, 10, 63500, 10, 63500}},
        SubjectRoundCase{"TotalsChangedByHandAreKeptAndAddedTo",
                         kAnnaTitle + Totals("50;Rekord;7", "100;Spielzeit;1000000;00:16:40") +
                             kAnnaColumns + kOlderGame + kRoundOneRow,
                         kAnnaTitle + Totals("51;Rekord;7", "101;Spielzeit;1003500;00:16:43") +
                             kAnnaColumns + kOlderGame + kRoundTwoRow,
                         {51, 7, 101, 1003500, 10, 63500}},
        // A totals line that lost its last fields gets them back in place.
        SubjectRoundCase{
            "ShortTotalsLinesAreCompleted",
            kAnnaTitle + Totals("5;Rekord", "9;Spielzeit") + kAnnaColumns + kRoundOneRow,
            kAnnaTitle + Totals("6;Rekord;1", "10;Spielzeit;3500;00:00:03") + kAnnaColumns +
                kRoundTwoRow,
            {6, 1, 10, 3500, 2, 7700}}),
    quib::testing::CaseName());

// Without its lines found, a file is not touched at all.
TEST(SubjectFileAfterRound, UnrecognisedLayoutGivesNothing) {
    const ServerTexts texts;
    for (const std::string& text : {std::string(), kAnnaTitle,
                                    kAnnaTitle + Totals("5;Rekord;0", "9;Spielzeit;60000") +
                                        "Punkte;5;Rekord;0\n" + kAnnaColumns}) {
        EXPECT_FALSE(SubjectFileAfterRound(text, 0, SecondRound(), texts).has_value()) << text;
    }
}

struct NumberFieldCase {
    const char* name;
    std::int32_t number;
    const char* field;
};

class HeaderNumberFieldTest : public ::testing::TestWithParam<NumberFieldCase> {};

// The headers' number field cuts to six characters, unlike file names.
TEST_P(HeaderNumberFieldTest, PadsAndCutsToSixCharacters) {
    EXPECT_EQ(HeaderNumberField(GetParam().number), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Records, HeaderNumberFieldTest,
                         ::testing::Values(NumberFieldCase{"Small", 42, "000042"},
                                           NumberFieldCase{"NoSubject", -1, "0000-1"},
                                           NumberFieldCase{"SevenDigits", 1234567, "123456"}),
                         quib::testing::CaseName());

TEST(RoundEventLine, TimesAreSignedAcrossTheTimersWrap) {
    EXPECT_EQ(RoundEventLine(1500, 0xFFFFFC18u, 2, "Taste", "Hoch"), "2500;00:00:02;2;Taste;Hoch");
}

}  // namespace
}  // namespace quib::server
