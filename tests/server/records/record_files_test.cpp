// The record files' texts from a finished round alone: no engine, no disk.

#include <gtest/gtest.h>

#include <optional>
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

// A won round raises the subject's points and, past it, the record; the
// game's row replaces the one an earlier round wrote, every other line stays.
TEST(SubjectFileAfterRound, WonRoundCountsAndReplacesTheGamesRow) {
    const std::string before =
        "Versuchsperson\nNummer:;000003\nName:;Anna\nKommentar:;\nErstellt:;01.03.24;10:00:00\n\n"
        "Punkte:;5;Rekord:;0\nRunden:;9;Spielzeit:;60000;00:01:00\n\nTitles\n"
        "g000000.csv;old row\nnote kept\n";
    SubjectRecord anna;
    anna.subjectFile = "/lab/log/p000003.csv";
    anna.totalPoints = 5;
    anna.totalRounds = 9;
    anna.totalPlayMs = 60000;

    const std::string after = SubjectFileAfterRound(before, anna, 0, SecondRound());

    EXPECT_EQ(
        after,
        "Versuchsperson\nNummer:;000003\nName:;Anna\nKommentar:;\nErstellt:;01.03.24;10:00:00\n\n"
        "Punkte:;6;Rekord:;1\nRunden:;10;Spielzeit:;63500;00:01:03\n\nTitles\n"
        "g000000.csv;09.03.24 14:05:07;p000007.csv;1;1;2;7700;00:00:07;1;0\nnote kept\n");
    EXPECT_EQ(anna.totalPoints, 6);
    EXPECT_EQ(anna.record, 1);
    EXPECT_EQ(anna.totalRounds, 10);
    EXPECT_EQ(anna.totalPlayMs, 63500);
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
