#include "server/records/session_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/case_name.h"

namespace quib::server {
namespace {

const SessionHeader kHeader = {"s000003.csv", "lab-00000000000000ff", "1.4.0",
                               "2026-12-11T17:02:16.123"};

constexpr const char* kHeaderText =
    "quib session;s000003.csv\n"
    "lab;lab-00000000000000ff\n"
    "version;1.4.0\n"
    "started;2026-12-11T17:02:16.123\n"
    "time;event;seat;game;round;address;host;count\n";

SessionEvent Event(const char* time, SessionEventKind kind, std::optional<int> seat) {
    SessionEvent event;
    event.time = time;
    event.kind = kind;
    event.seat = seat;
    return event;
}

TEST(SessionFile, HeaderAndEventsAreWrittenAsTheLayoutShows) {
    SessionEvent lost = Event("2026-12-11T17:05:01.250", SessionEventKind::SeatLost, 2);
    lost.game = 3;
    lost.round = 12;
    lost.address = "192.168.1.8";
    lost.host = "PC08";
    SessionEvent bad = Event("2026-12-11T17:05:02.000", SessionEventKind::BadFrames, 1);
    bad.count = 4;
    EXPECT_EQ(FormatSessionHeader(kHeader), kHeaderText);
    EXPECT_EQ(FormatSessionEvent(lost),
              "2026-12-11T17:05:01.250;seat_lost;2;3;12;192.168.1.8;PC08;\n");
    EXPECT_EQ(FormatSessionEvent(bad), "2026-12-11T17:05:02.000;bad_frames;1;;;;;4\n");
    EXPECT_EQ(FormatSessionEvent(
                  Event("2026-12-11T18:30:00.000", SessionEventKind::ServerEnded, std::nullopt)),
              "2026-12-11T18:30:00.000;server_ended;;;;;;\n");
}

TEST(SessionFile, EveryEventKindReadsBackAsWritten) {
    std::string text = FormatSessionHeader(kHeader);
    std::vector<SessionEvent> written;
    for (const SessionEventKind kind : AllSessionEventKinds()) {
        const bool ofSeat =
            kind != SessionEventKind::GameEnded && kind != SessionEventKind::ServerEnded;
        SessionEvent event =
            Event("2026-12-11T17:05:01.250", kind, ofSeat ? std::optional<int>(2) : std::nullopt);
        event.game = 7;
        event.round = 3;
        event.address = ofSeat ? "10.0.0.2" : "";
        // A host name is whatever the player's computer reports.
        event.host = ofSeat ? "Raum \"A\";PC 2" : "";
        if (kind == SessionEventKind::BadFrames) {
            event.count = 17;
        }
        text += FormatSessionEvent(event);
        written.push_back(event);
    }
    const SessionFile file = ParseSessionFile(text);
    EXPECT_TRUE(file.problems.empty()) << file.problems.front().text;
    ASSERT_TRUE(file.headerRead);
    EXPECT_EQ(file.header, kHeader);
    ASSERT_EQ(file.events.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(file.events[i].first, kSessionHeaderLines + 1 + i);
        EXPECT_EQ(file.events[i].second, written[i]);
    }
}

struct BadLineCase {
    const char* name;
    const char* line;
};

class SessionFileBadLine : public ::testing::TestWithParam<BadLineCase> {};

TEST_P(SessionFileBadLine, IsReportedWithItsLineAndSkipped) {
    const std::string text = std::string(kHeaderText) + GetParam().line + "\n" +
                             "2026-12-11T17:09:00.000;game_ended;;3;;;;\n";
    const SessionFile file = ParseSessionFile(text);
    ASSERT_EQ(file.problems.size(), 1u);
    EXPECT_EQ(file.problems[0].line, 6u);
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_EQ(file.events[0].first, 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionFileBadLine,
    ::testing::Values(
        BadLineCase{"UnknownEvent", "2026-12-11T17:05:01.250;seat_stolen;1;;;;;"},
        BadLineCase{"TimeWithoutMilliseconds", "2026-12-11T17:05:01;seat_lost;1;;;;;"},
        BadLineCase{"SeatThree", "2026-12-11T17:05:01.250;seat_lost;3;;;;;"},
        BadLineCase{"SeatEventWithoutSeat", "2026-12-11T17:05:01.250;seat_lost;;;;;;"},
        BadLineCase{"ServerEventWithSeat", "2026-12-11T17:05:01.250;server_ended;1;;;;;"},
        BadLineCase{"RoundWithoutGame", "2026-12-11T17:05:01.250;seat_lost;1;;4;;;"},
        BadLineCase{"BadFramesWithoutCount", "2026-12-11T17:05:01.250;bad_frames;1;;;;;"},
        BadLineCase{"CountOnAnotherEvent", "2026-12-11T17:05:01.250;seat_lost;1;;;;;2"},
        BadLineCase{"SevenFields", "2026-12-11T17:05:01.250;seat_lost;1;;;;"},
        BadLineCase{"QuoteNotClosed", "2026-12-11T17:05:01.250;seat_lost;1;;;;\"PC;"},
        BadLineCase{"GameNotANumber", "2026-12-11T17:05:01.250;seat_lost;1;x;;;;"}),
    quib::testing::CaseName{});

TEST(SessionFile, TimeGoingBackIsReportedButTheEventKept) {
    const SessionFile file =
        ParseSessionFile(std::string(kHeaderText) + "2026-12-11T17:01:00.000;seat_lost;1;;;;;\n");
    ASSERT_EQ(file.problems.size(), 1u);
    EXPECT_EQ(file.events.size(), 1u);
}

TEST(SessionFile, ALastLineCutShortIsReportedAndLeftOut) {
    const std::string whole =
        std::string(kHeaderText) + "2026-12-11T17:05:01.250;seat_lost;1;;;;;\n";
    const std::string text = whole + "2026-12-11T17:05:02.0";
    EXPECT_EQ(WholeLinesOf(text), whole);
    EXPECT_EQ(WholeLinesOf(whole), whole);
    EXPECT_EQ(WholeLinesOf("no line end"), "");
    const SessionFile file = ParseSessionFile(text);
    ASSERT_EQ(file.problems.size(), 1u);
    EXPECT_EQ(file.problems[0].line, 7u);
    EXPECT_EQ(file.events.size(), 1u);
}

TEST(SessionFile, AHeaderUnlikeTheServersIsReportedAndNoEventRead) {
    std::string text = std::string(kHeaderText) + "2026-12-11T17:05:01.250;seat_lost;1;;;;;\n";
    text.replace(text.find("version"), 7, "Version");
    const SessionFile file = ParseSessionFile(text);
    EXPECT_FALSE(file.headerRead);
    ASSERT_EQ(file.problems.size(), 1u);
    EXPECT_EQ(file.problems[0].line, 3u);
    EXPECT_TRUE(file.events.empty());
    EXPECT_FALSE(ParseSessionFile("quib session;s000001.csv\n").headerRead);
}

TEST(SessionFile, LabIdentities) {
    EXPECT_EQ(NewLabId(0x5f1c9a3e7b2d4068ULL), "lab-5f1c9a3e7b2d4068");
    EXPECT_EQ(NewLabId(1), "lab-0000000000000001");
    EXPECT_TRUE(IsValidLabId(NewLabId(~0ULL)));
    for (const char* good : {"econlab-muenster", "LAB_2.north", "x"}) {
        EXPECT_TRUE(IsValidLabId(good)) << good;
    }
    for (const char* bad : {"", ".", "..", "lab id", "lab;1", "lab/1", "M\xFCnster",
                            "12345678901234567890123456789012345678901234567890123456789012345"}) {
        EXPECT_FALSE(IsValidLabId(bad)) << bad;
    }
    EXPECT_EQ(LabIdFromFileText("lab-00ff\r\nmore"), "lab-00ff");
    EXPECT_EQ(LabIdFromFileText("econlab"), "econlab");
    EXPECT_EQ(LabIdFromFileText("two words\n"), std::nullopt);
    EXPECT_EQ(LabIdFromFileText(""), std::nullopt);
}

}  // namespace
}  // namespace quib::server
