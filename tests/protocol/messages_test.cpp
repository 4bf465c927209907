#include "protocol/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame_test_util.h"
#include "tests/support/case_name.h"

namespace quib::protocol {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using testing::ToBytes;

// Builds a frame holding `message` alone and returns its one message as
// (type, length byte, body).
template <typename M>
struct Built {
    std::uint8_t type = 0;
    std::uint8_t length = 0;
    Bytes body;
};

template <typename M>
Built<M> BuildAlone(const M& message) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    EXPECT_TRUE(Append(*buffer, message));
    const Bytes frame = ToBytes(buffer->FinishFrame());
    EXPECT_EQ(CheckFrame(frame), FrameCheck::Good);
    Built<M> built;
    built.type = frame[8];
    built.length = frame[9];
    built.body.assign(frame.begin() + 10, frame.end() - 4);
    return built;
}

// One filled-in sample of every fixed-layout message, with its length byte
// and the smallest body its parser accepts.
template <typename M>
struct Sample;

#define QUIB_SAMPLE(Type, lengthByte, minBody, ...)         \
    template <>                                             \
    struct Sample<Type> {                                   \
        static Type Make() { return Type{__VA_ARGS__}; }    \
        static constexpr std::uint8_t kLength = lengthByte; \
        static constexpr std::size_t kMinBody = minBody;    \
    }

QUIB_SAMPLE(FrameStart, 2, 0);
QUIB_SAMPLE(RightText, 11, 5, 0x00FF8040u, {"Sieg!"});
QUIB_SAMPLE(LeftText, 7, 5, kNoColour, {"x"});
QUIB_SAMPLE(HostNameRequest, 2, 0);
QUIB_SAMPLE(BeginDrawing, 3, 1, -2);
QUIB_SAMPLE(EndDrawing, 2, 0);
QUIB_SAMPLE(CreateImage, 11, 9, 1, 1.0f, 0.5f);
QUIB_SAMPLE(LoadPicture, 13, 1, 3, {"figur1.png"});
QUIB_SAMPLE(FreeImage, 3, 1, 127);
QUIB_SAMPLE(DrawImage, 11, 9, 2, 0.25f, -0.125f);
QUIB_SAMPLE(FrontColour, 6, 4, 0x00123456u);
QUIB_SAMPLE(BackColour, 6, 4, kNoColour);
QUIB_SAMPLE(DrawingMode, 6, 4, kModeOutline);
QUIB_SAMPLE(Plot, 14, 12, 0.5f, 0.5f, 0x000000FFu);
QUIB_SAMPLE(Line, 22, 20, 0.5f, 0.0f, 0.5f, 1.0f, 0x00969696u);
QUIB_SAMPLE(Box, 22, 20, 0.05f, 0.05f, 0.4f, 0.4f, 0x0000FF00u);
QUIB_SAMPLE(Circle, 18, 16, 0.25f, 0.25f, 0.2f, 0x00FF0000u);
QUIB_SAMPLE(Ellipse, 22, 20, 0.5f, 0.5f, 0.3f, 0.1f, 0x00010203u);
QUIB_SAMPLE(Fill, 18, 16, 0.1f, 0.9f, kNoColour, 0x00FFFFFFu);
QUIB_SAMPLE(ReplyStart, 2, 0);
QUIB_SAMPLE(HostName, 8, 0, {"lab-07"});
QUIB_SAMPLE(KeyDown, 4, 2, 40, 1);
QUIB_SAMPLE(BadFrameReport, 2, 0);
#undef QUIB_SAMPLE

template <typename M>
class FixedMessageTest : public ::testing::Test {};

using FixedMessages =
    ::testing::Types<FrameStart, RightText, LeftText, HostNameRequest, BeginDrawing, EndDrawing,
                     CreateImage, LoadPicture, FreeImage, DrawImage, FrontColour, BackColour,
                     DrawingMode, Plot, Line, Box, Circle, Ellipse, Fill, ReplyStart, HostName,
                     KeyDown, BadFrameReport>;
TYPED_TEST_SUITE(FixedMessageTest, FixedMessages);

template <typename T>
T Value(const T& v) {
    return v;
}
template <std::size_t Max, std::size_t Min>
std::string Value(const Text<Max, Min>& t) {
    return std::string(t.value);
}
// A message's field values, texts as owned strings, for comparing.
template <typename M>
auto Values(const M& m) {
    return std::apply([](const auto&... f) { return std::make_tuple(Value(f)...); }, Fields(m));
}

TYPED_TEST(FixedMessageTest, RoundTripsWithItsTypeAndLengthByte) {
    const TypeParam sent = Sample<TypeParam>::Make();
    const auto built = BuildAlone(sent);
    EXPECT_EQ(built.type, static_cast<std::uint8_t>(TypeParam::kType));
    EXPECT_EQ(built.length, Sample<TypeParam>::kLength);
    TypeParam received{};
    ASSERT_TRUE(Parse(built.body, &received));
    EXPECT_EQ(Values(received), Values(sent));
}

TYPED_TEST(FixedMessageTest, ParsesOnlyABodyThatHoldsItsFixedFields) {
    const auto built = BuildAlone(Sample<TypeParam>::Make());
    for (std::size_t size = 0; size <= built.body.size(); ++size) {
        const Bytes body(built.body.begin(),
                         built.body.begin() + static_cast<std::ptrdiff_t>(size));
        TypeParam received{};
        EXPECT_EQ(Parse(body, &received), size >= Sample<TypeParam>::kMinBody)
            << "body of " << size;
    }
}

TEST(TextMessages, AreCutTo240BytesWithLengthByte246) {
    const std::string text(300, 'a');
    const auto built = BuildAlone(LeftText{0, {text}});
    EXPECT_EQ(built.length, 246);
    EXPECT_EQ(built.body.size(), 244u);
}

TEST(TextMessages, AnEmptyTextIsBuiltButNotAccepted) {
    const auto built = BuildAlone(RightText{0x00969696u, {""}});
    EXPECT_EQ(built.length, 6);
    RightText received;
    EXPECT_FALSE(Parse(built.body, &received));
}

TEST(TextMessages, TextEndsAtItsFirstZeroByte) {
    const Bytes body = {0, 0, 0, 0, 'a', 'b', 0, 'c'};
    LeftText received;
    ASSERT_TRUE(Parse(body, &received));
    EXPECT_EQ(received.text.value, "ab");
}

TEST(LoadPicture, FileNameIsCutTo100BytesWithLengthByte103) {
    const std::string name(120, 'f');
    const auto built = BuildAlone(LoadPicture{2, {name}});
    EXPECT_EQ(built.length, 103);
}

TEST(HostName, IsCutTo50BytesWithLengthByte52) {
    const std::string name(60, 'n');
    EXPECT_EQ(BuildAlone(HostName{{name}}).length, 52);
}

TEST(KeyDown, AcceptsAnyValueByte) {
    const Bytes body = {37, 7};
    KeyDown received;
    ASSERT_TRUE(Parse(body, &received));
    EXPECT_EQ(received.key, 37);
    EXPECT_EQ(received.value, 7);
}

TEST(FloatFields, AreLittleEndianSinglePrecision) {
    const auto built = BuildAlone(Circle{0.25f, 0.25f, 0.2f, 0x00FF0000u});
    EXPECT_THAT(built.body, ElementsAre(0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x3E, 0xCD, 0xCC,
                                        0x4C, 0x3E, 0x00, 0x00, 0xFF, 0x00));
}

Polygon PolygonWith(std::size_t points) {
    Polygon polygon;
    polygon.pen = 0x00000000u;
    polygon.brush = 0x0000FFFFu;
    polygon.count = points;
    for (std::size_t i = 0; i < std::min(points, kMaxPolygonPoints); ++i) {
        polygon.points[i] = {0.1f * static_cast<float>(i), 1.0f - 0.1f * static_cast<float>(i)};
    }
    return polygon;
}

TEST(Polygon, LengthByteIs34ForThreePointsAnd50ForFive) {
    EXPECT_EQ(BuildAlone(PolygonWith(3)).length, 34);
    EXPECT_EQ(BuildAlone(PolygonWith(5)).length, 50);
}

TEST(Polygon, RoundTripsThirtyPoints) {
    const Polygon sent = PolygonWith(30);
    const auto built = BuildAlone(sent);
    EXPECT_EQ(built.length, 250);
    Polygon received;
    ASSERT_TRUE(Parse(built.body, &received));
    EXPECT_EQ(received.pen, sent.pen);
    EXPECT_EQ(received.brush, sent.brush);
    ASSERT_EQ(received.count, 30u);
    EXPECT_EQ(received.points[29].x, sent.points[29].x);
    EXPECT_EQ(received.points[29].y, sent.points[29].y);
}

TEST(Polygon, BuilderRefusesNoPointsAndMoreThanThirty) {
    auto buffer = std::make_unique<SendBuffer>();
    buffer->StartFrame();
    EXPECT_FALSE(Append(*buffer, PolygonWith(0)));
    EXPECT_FALSE(Append(*buffer, PolygonWith(31)));
    EXPECT_EQ(buffer->length(), kHeaderSize);
}

struct PolygonBodyCase {
    const char* name;
    std::size_t bodySize;
    bool accepted;
};

const PolygonBodyCase kPolygonBodies[] = {
    {"ColoursOnly", 8, false},   {"OnePoint", 16, true},
    {"HalfAPoint", 12, false},   {"ThreePointsAndAByte", 33, false},
    {"ThirtyPoints", 248, true}, {"ThirtyOnePoints", 256, false},
    {"NoColours", 7, false},
};

class PolygonBody : public ::testing::TestWithParam<PolygonBodyCase> {};

TEST_P(PolygonBody, MustHoldOneToThirtyWholePoints) {
    const Bytes body(GetParam().bodySize, 0);
    Polygon received;
    EXPECT_EQ(Parse(body, &received), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Messages, PolygonBody, ::testing::ValuesIn(kPolygonBodies),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::protocol
