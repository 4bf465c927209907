#include "server/records/subject_statistics.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace quib::server {
namespace {

const SubjectStatistics kPlaceholders = {
    "Punkte: ???? Gesamt, ?? Rekord",
    "Gesamtspielzeit: ?? Std. ?? Min.",
    "??? Runden gegen akt. Mitspieler",
    "in insgesamt ?? Std. ?? Min.",
};

SubjectRecord Subject(std::int32_t number) {
    SubjectRecord record;
    record.subjectNumber = number;
    record.totalPoints = 12;
    record.record = 5;
    record.totalPlayMs = 3725999;  // 1 h 2 min 5.999 s
    record.roundsWithPartner = 7;
    record.msWithPartner = 61000;
    return record;
}

struct StatisticsCase {
    const char* name;
    SubjectRecord record;
    SubjectRecord other;
    SubjectStatistics expected;
};

class SubjectStatisticsTest : public ::testing::TestWithParam<StatisticsCase> {};

TEST_P(SubjectStatisticsTest, ShowsTheSeatsLines) {
    const ServerTexts texts;
    EXPECT_EQ(SubjectStatisticsLines(GetParam().record, GetParam().other, texts),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Seats, SubjectStatisticsTest,
    ::testing::Values(
        StatisticsCase{"PartnerInTheOtherSeat",
                       Subject(42),
                       Subject(41),
                       {"Punkte: 12 Gesamt, 5 Rekord", "Gesamtspielzeit: 1 Std. 02 Min.",
                        "7 Runden gegen akt. Mitspieler", "in insgesamt 0 Std. 01 Min."}},
        StatisticsCase{"OtherSeatEmpty",
                       Subject(42),
                       SubjectRecord{},
                       {"Punkte: 12 Gesamt, 5 Rekord", "Gesamtspielzeit: 1 Std. 02 Min.",
                        kPlaceholders[2], kPlaceholders[3]}},
        StatisticsCase{"SameSubjectInBothSeats",
                       Subject(42),
                       Subject(42),
                       {"Punkte: 12 Gesamt, 5 Rekord", "Gesamtspielzeit: 1 Std. 02 Min.",
                        "> Es wurde zweimal der", "selbe Spieler ausgew\xE4hlt!"}},
        StatisticsCase{"SubjectNumberZeroIsASubject",
                       Subject(0),
                       Subject(0),
                       {"Punkte: 12 Gesamt, 5 Rekord", "Gesamtspielzeit: 1 Std. 02 Min.",
                        "> Es wurde zweimal der", "selbe Spieler ausgew\xE4hlt!"}},
        StatisticsCase{"ThisSeatEmpty", SubjectRecord{}, Subject(41), kPlaceholders},
        StatisticsCase{"BothSeatsEmpty", SubjectRecord{}, SubjectRecord{}, kPlaceholders}),
    quib::testing::CaseName{});

TEST(EmptySubjectStatisticsTest, PlaceholdersComeFromTheLanguageTexts) {
    ServerTexts texts;
    EXPECT_EQ(EmptySubjectStatisticsLines(texts), kPlaceholders);
    texts.Set(txt::kPoints, "Points");
    texts.Set(txt::kTotal, "total");
    texts.Set(txt::kHoursUnit, "h");
    texts.Set(txt::kMinutesUnit, "min");
    const SubjectStatistics lines = EmptySubjectStatisticsLines(texts);
    EXPECT_EQ(lines[0], "Points: ???? total, ?? Rekord");
    EXPECT_EQ(lines[3], "in insgesamt ?? h ?? min");
}

}  // namespace
}  // namespace quib::server
