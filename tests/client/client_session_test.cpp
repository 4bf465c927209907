#include "client/client_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QColor>
#include <QImage>
#include <QString>

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "client/key_state.h"
#include "common/drawing.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "testing/scratch_directory.h"
#include "tests/protocol/frame_test_util.h"
#include "tests/support/case_name.h"

namespace quib::client {
namespace {

using protocol::testing::Bytes;
using protocol::testing::FrameOf;
using protocol::testing::Reseal;
using protocol::testing::ToBytes;
using ::testing::ElementsAre;

// The reply to a good frame with nothing to report, and the bad-frame report.
const Bytes kPlainReply = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0, 0, 0, 30, 2, 0x2B, 0xB4, 0xDE, 0x6D};
const Bytes kBadFrameReport = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0,    0,
                               0,    254,  2,    0xC7, 0x47, 0xA0, 0x33};

struct ShownText {
    TextField field;
    protocol::Colour colour;
    std::string text;
    bool operator==(const ShownText&) const = default;
};

void PrintTo(const ShownText& t, std::ostream* os) {
    *os << "{field " << static_cast<int>(t.field) << ", colour " << t.colour << ", \"" << t.text
        << "\"}";
}

class SessionTest : public ::testing::Test {
  protected:
    Bytes Handle(const Bytes& frame, const ReplyInputs& inputs) {
        return ToBytes(session_.HandleFrame(frame, inputs));
    }
    Bytes Handle(const Bytes& frame) { return Handle(frame, ReplyInputs{}); }

    DrawingExecutor drawing_{DrawingConfig{360, 360, {}, 0.75f}};
    std::vector<ShownText> shown_;
    ClientSession session_{drawing_,
                           [this](TextField field, protocol::Colour colour, std::string_view text) {
                               shown_.push_back({field, colour, std::string(text)});
                           }};
};

TEST_F(SessionTest, FrameStartAloneIsAnsweredWithTheFourteenByteReply) {
    EXPECT_EQ(Handle(FrameOf({30, 2})), kPlainReply);
    EXPECT_EQ(Handle(FrameOf({30, 2, 30, 2, 30, 2})), kPlainReply);
}

// --- bad frames -------------------------------------------------------------

Bytes WithByte(Bytes frame, std::size_t index, std::uint8_t value, bool reseal) {
    frame[index] = value;
    if (reseal) {
        Reseal(frame);
    }
    return frame;
}

Bytes Concatenated(const Bytes& a, const Bytes& b) {
    Bytes joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
}

Bytes ManyFrameStarts(std::size_t count) {
    Bytes messages;
    for (std::size_t i = 0; i < count; ++i) {
        messages.push_back(30);
        messages.push_back(2);
    }
    return FrameOf(messages);
}

Bytes LoadPictureFrame(const std::string& name) {
    Bytes messages = {211, static_cast<std::uint8_t>(3 + name.size()), 0};
    messages.insert(messages.end(), name.begin(), name.end());
    return FrameOf(messages);
}

struct BadFrameCase {
    std::string name;
    Bytes frame;
};

void PrintTo(const BadFrameCase& row, std::ostream* os) {
    *os << row.name;
}

class BadFrameTest : public SessionTest, public ::testing::WithParamInterface<BadFrameCase> {};

TEST_P(BadFrameTest, IsAnsweredWithTheBadFrameReport) {
    EXPECT_EQ(Handle(GetParam().frame), kBadFrameReport);
    // The report is the whole answer: the next good frame gets a plain reply.
    EXPECT_EQ(Handle(FrameOf({30, 2})), kPlainReply);
}

const Bytes kGood = FrameOf({30, 2});

INSTANTIATE_TEST_SUITE_P(
    Frames, BadFrameTest,
    ::testing::Values(
        BadFrameCase{"Empty", {}},
        BadFrameCase{"ThirteenBytes", Bytes(kGood.begin(), kGood.end() - 1)},
        BadFrameCase{"WrongMagic", WithByte(kGood, 3, 0xFF, true)},
        BadFrameCase{"LengthFieldOneMore", WithByte(kGood, 4, 15, true)},
        BadFrameCase{"LengthFieldOneLess", WithByte(FrameOf({30, 2, 30, 2}), 4, 15, true)},
        BadFrameCase{"TwoFramesInOneReceive", Concatenated(kGood, kGood)},
        BadFrameCase{"FlippedBitInAMessage", WithByte(kGood, 9, 3, false)},
        BadFrameCase{"FlippedBitInTheCheckValue", WithByte(kGood, 13, 0x6C, false)},
        BadFrameCase{"LengthByteOne", FrameOf({30, 1})},
        BadFrameCase{"LengthByteZeroAfterAGoodMessage", FrameOf({30, 2, 30, 0})},
        BadFrameCase{"MessageRunsIntoTheCheckValue", FrameOf({30, 2, 30, 3})},
        BadFrameCase{"UnknownType31", FrameOf({31, 2})},
        BadFrameCase{"ReplyOnlyType50", FrameOf({50, 4, 39, 1})},
        BadFrameCase{"UnknownType199", FrameOf({199, 2})},
        BadFrameCase{"UnknownType255", FrameOf({255, 2})},
        BadFrameCase{"DrawingTypeNotInTheTable", FrameOf({202, 2})},
        BadFrameCase{"LeftTextWithoutText", FrameOf({33, 6, 0, 0, 0, 0})},
        BadFrameCase{"RightTextWithoutText", FrameOf({32, 6, 0xFF, 0xFF, 0xFF, 0xFF})},
        BadFrameCase{"TextWithoutFullColour", FrameOf({33, 5, 0, 0, 0})},
        BadFrameCase{"PictureOutsideThePictureFolder", LoadPictureFrame("../x.png")},
        BadFrameCase{"MissingPicture", LoadPictureFrame("missing.png")},
        // A 65,536-byte receive holds at most 32,762 messages; a longer span
        // still stops after the 32,763rd.
        BadFrameCase{"MoreThan32763Messages", ManyFrameStarts(32764)}),
    testing::CaseName());

TEST_F(SessionTest, TheLargestReceivableFrameIsGood) {
    const Bytes frame = ManyFrameStarts(32762);
    ASSERT_EQ(frame.size(), protocol::kBufferSize);
    EXPECT_EQ(Handle(frame), kPlainReply);
}

TEST_F(SessionTest, MessagesBeforeAFailureStayExecuted) {
    EXPECT_EQ(Handle(FrameOf({33, 7, 1, 2, 3, 0, 'A', 31, 2, 33, 7, 1, 2, 3, 0, 'B'})),
              kBadFrameReport);
    EXPECT_THAT(shown_, ElementsAre(ShownText{TextField::Left, 0x030201, "A"}));
}

// --- texts ------------------------------------------------------------------

TEST_F(SessionTest, TextMessagesReachTheirFieldsWithColourAndText) {
    EXPECT_EQ(Handle(FrameOf({33, 11, 0x96, 0xFF, 0x96, 0x00, 'H',  'a', 'l', 'l', 'o',  //
                              32, 7,  0xFF, 0xFF, 0xFF, 0xFF, 0xE4,                      //
                              33, 10, 0x4B, 0x4B, 0xFF, 0x00, 'a',  'b', 0,   'c'})),
              kPlainReply);
    EXPECT_THAT(shown_, ElementsAre(ShownText{TextField::Left, 0x0096FF96, "Hallo"},
                                    ShownText{TextField::Right, protocol::kNoColour, "\xE4"},
                                    ShownText{TextField::Left, 0x00FF4B4B, "ab"}));
}

// --- host name --------------------------------------------------------------

TEST_F(SessionTest, TheHostNameIsSentOnceWhenAskedAndCutToFiftyBytes) {
    const std::string hostName(60, 'h');
    ReplyInputs inputs;
    inputs.hostName = hostName;

    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), kPlainReply) << "not asked for";
    Bytes expected = {30, 2, 35, 52};
    expected.insert(expected.end(), 50, 'h');
    EXPECT_EQ(Handle(FrameOf({30, 2, 35, 2}), inputs), FrameOf(expected));
    EXPECT_FALSE(session_.hostNameRequested());
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), kPlainReply) << "sent once only";
}

TEST_F(SessionTest, TheHostNameRequestOutlivesABadFrame) {
    ReplyInputs inputs;
    inputs.hostName = "lab-pc-7";
    EXPECT_EQ(Handle(FrameOf({30, 2, 35, 2, 31, 2}), inputs), kBadFrameReport);
    EXPECT_TRUE(session_.hostNameRequested());
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs),
              FrameOf({30, 2, 35, 10, 'l', 'a', 'b', '-', 'p', 'c', '-', '7'}));
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), kPlainReply);
}

// --- keys -------------------------------------------------------------------

TEST_F(SessionTest, ARightArrowHeldIsInEveryReplyInTheForeground) {
    KeyState keys;
    keys.Press(39);
    const ReplyInputs inputs{"", true, &keys};
    const Bytes expected = FrameOf({30, 2, 50, 4, 39, 1});
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), expected);
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), expected);
}

TEST_F(SessionTest, KeysComeAfterTheHostNameInAscendingOrder) {
    KeyState keys;
    keys.Press(40);
    keys.Press(32);
    keys.Release(32);
    const ReplyInputs inputs{"pc", true, &keys};
    EXPECT_EQ(Handle(FrameOf({35, 2}), inputs),
              FrameOf({30, 2, 35, 4, 'p', 'c', 50, 4, 32, 1, 50, 4, 40, 1}));
}

TEST_F(SessionTest, NoKeysAreReportedInTheBackground) {
    KeyState keys;
    keys.Press(39);
    EXPECT_EQ(Handle(FrameOf({30, 2}), ReplyInputs{"", false, &keys}), kPlainReply);
}

TEST_F(SessionTest, ATapIsNotUsedUpByABadFrame) {
    KeyState keys;
    keys.Press(32);
    keys.Release(32);
    const ReplyInputs inputs{"", true, &keys};
    EXPECT_EQ(Handle(FrameOf({31, 2}), inputs), kBadFrameReport);
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), FrameOf({30, 2, 50, 4, 32, 1}));
    EXPECT_EQ(Handle(FrameOf({30, 2}), inputs), kPlainReply);
}

TEST_F(SessionTest, EveryReportableKeyDownFillsTheReply) {
    KeyState keys;
    for (int vk = 0; vk < kKeyCodeCount; ++vk) {
        keys.Press(vk);
    }
    const Bytes reply = Handle(FrameOf({30, 2}), ReplyInputs{"", true, &keys});
    Bytes expected = {30, 2};
    for (int vk = 6; vk <= 254; ++vk) {
        expected.insert(expected.end(), {50, 4, static_cast<std::uint8_t>(vk), 1});
    }
    EXPECT_EQ(reply, FrameOf(expected));
    EXPECT_EQ(reply.size(), 14u + 996u);
}

// --- drawing ----------------------------------------------------------------

TEST_F(SessionTest, DrawingMessagesDrawAndPresent) {
    int presents = 0;
    drawing_.onPresent = [&presents] { ++presents; };

    auto frameBuffer = std::make_unique<protocol::SendBuffer>();
    frameBuffer->StartFrame();
    ASSERT_TRUE(protocol::Append(*frameBuffer, protocol::FrameStart{}));
    ASSERT_TRUE(protocol::Append(*frameBuffer, protocol::BeginDrawing{protocol::kOwnViewSlot}));
    ASSERT_TRUE(protocol::Append(*frameBuffer, protocol::Box{0.0f, 0.0f, 0.5f, 1.0f, 0x0000FF}));
    ASSERT_TRUE(protocol::Append(*frameBuffer, protocol::EndDrawing{}));
    ASSERT_TRUE(protocol::Append(*frameBuffer, protocol::Present{}));
    const Bytes frame = ToBytes(frameBuffer->FinishFrame());

    EXPECT_EQ(Handle(frame), kPlainReply);
    EXPECT_EQ(presents, 1);
    const QImage* leftFront = drawing_.Image(0);
    ASSERT_NE(leftFront, nullptr);
    // Half a picture wide at U = 360: pixels 0 .. 179 red, 180 on black.
    EXPECT_EQ(leftFront->pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(leftFront->pixelColor(179, 359), QColor(255, 0, 0));
    EXPECT_EQ(leftFront->pixelColor(180, 0), QColor(0, 0, 0));
    const QImage* rightFront = drawing_.Image(2);
    ASSERT_NE(rightFront, nullptr);
    EXPECT_EQ(rightFront->pixelColor(0, 0), QColor(0, 0, 0));
}

// --- pictures the server names ------------------------------------------------

// A frame that loads `name` into picture slot 0 and presents.
Bytes LoadingFrame(const std::string& name) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    EXPECT_TRUE(protocol::Append(*buffer, protocol::FrameStart{}));
    EXPECT_TRUE(protocol::Append(*buffer, protocol::LoadPicture{0, {name}}));
    EXPECT_TRUE(protocol::Append(*buffer, protocol::Present{}));
    return ToBytes(buffer->FinishFrame());
}

// The server sends a figure once and never repeats a frame: the session
// says which picture this computer lacks, and again once pictures load.
TEST(SessionPictures, AMissingPictureIsNamedUntilAFrameLoadsItsPictures) {
    quib::testing::ScratchDirectory grafik;
    QImage figure(8, 8, QImage::Format_ARGB32);
    figure.fill(Qt::red);
    ASSERT_TRUE(figure.save(QString::fromStdString((grafik.path() / "bauer0.png").string())));
    DrawingExecutor drawing(DrawingConfig{100, 100, grafik.path(), 1.0f});
    std::vector<std::string> reports;
    ClientSession session(drawing, nullptr,
                          [&reports](std::string_view missing) { reports.emplace_back(missing); });
    const auto handle = [&session](const Bytes& frame) {
        return ToBytes(session.HandleFrame(frame, ReplyInputs{}));
    };

    EXPECT_EQ(handle(LoadingFrame("turm0.png")), kBadFrameReport);
    EXPECT_EQ(reports, std::vector<std::string>{"turm0.png"});
    // A frame without pictures says nothing of them.
    EXPECT_EQ(handle(FrameOf({30, 2})), kPlainReply);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(handle(LoadingFrame("bauer0.png")), kPlainReply);
    EXPECT_EQ(reports, (std::vector<std::string>{"turm0.png", ""}));
}

// --- work per frame and stopping --------------------------------------------

// A 4 x 4 unit image on slot 0 (16 picture fields) and `fills` fills over
// all of it.
Bytes WholeImageFills(std::int64_t fills) {
    auto buffer = std::make_unique<protocol::SendBuffer>();
    buffer->StartFrame();
    EXPECT_TRUE(protocol::Append(*buffer, protocol::CreateImage{0, 4, 4}));
    EXPECT_TRUE(protocol::Append(*buffer, protocol::BeginDrawing{0}));
    for (std::int64_t i = 0; i < fills; ++i) {
        const protocol::Colour colour = i % 2 == 0 ? 0x0000FF : 0x00FF00;
        EXPECT_TRUE(protocol::Append(*buffer, protocol::Fill{1, 1, colour, protocol::kNoColour}));
    }
    return ToBytes(buffer->FinishFrame());
}

TEST(SessionWork, AFrameBeyondThePlayersFrameWorkIsBadAndEachFrameStartsAfresh) {
    DrawingExecutor drawing(DrawingConfig{100, 100, {}, 1.0f}, kPlayerFrameWorkFields);
    ClientSession session(drawing, nullptr);
    const auto handle = [&session](const Bytes& frame) {
        return ToBytes(session.HandleFrame(frame, ReplyInputs{}));
    };
    constexpr std::int64_t kFillsWithin = (kPlayerFrameWorkFields - 16) / 16;
    EXPECT_EQ(handle(WholeImageFills(kFillsWithin + 1)), kBadFrameReport);
    EXPECT_EQ(handle(WholeImageFills(kFillsWithin)), kPlainReply);
    EXPECT_EQ(handle(WholeImageFills(kFillsWithin)), kPlainReply);
}

TEST(SessionWork, AStopRequestLeavesTheRestOfTheFrameUndone) {
    DrawingExecutor drawing(DrawingConfig{100, 100, {}, 1.0f});
    std::atomic<bool> stop{false};
    std::vector<std::string> shown;
    // The request comes while the first text is shown, as a window closing
    // meanwhile would set it.
    ClientSession session(drawing, [&](TextField, protocol::Colour, std::string_view text) {
        shown.emplace_back(text);
        stop.store(true);
    });
    const Bytes frame = FrameOf({33, 7, 1, 2, 3, 0, 'A', 33, 7, 1, 2, 3, 0, 'B'});
    EXPECT_EQ(ToBytes(session.HandleFrame(frame, ReplyInputs{}, &stop)), kBadFrameReport);
    EXPECT_THAT(shown, ElementsAre("A"));
}

}  // namespace
}  // namespace quib::client
