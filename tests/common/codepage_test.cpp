#include "common/codepage.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quib {
namespace {

using namespace std::string_literals;

TEST(CodepageTest, EveryByteSurvivesTheTripThroughUtf8) {
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) {
        allBytes += static_cast<char>(byte);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(allBytes)), allBytes);
}

struct Conversion {
    const char* name;
    std::string cp1252;
    std::string utf8;
};

std::string ConversionName(const testing::TestParamInfo<Conversion>& conversion) {
    return conversion.param.name;
}
void PrintTo(const Conversion& conversion, std::ostream* out) {
    *out << conversion.name;
}

class Cp1252ToUtf8Test : public testing::TestWithParam<Conversion> {};

TEST_P(Cp1252ToUtf8Test, GivesTheUtf8Text) {
    EXPECT_EQ(Cp1252ToUtf8(GetParam().cp1252), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp1252ToUtf8Test,
    testing::Values(Conversion{"Ascii", "Port = 6832", "Port = 6832"},
                    Conversion{"Umlauts", "\xE4\xF6\xFC\xDF", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"},
                    Conversion{"EuroAndDash", "\x80\x96", "\xE2\x82\xAC\xE2\x80\x93"},
                    Conversion{"UndefinedBytesAsC1Controls", "\x81\x8D\x8F\x90\x9D",
                               "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
                    Conversion{"NulKept", "a\0b"s, "a\0b"s}),
    ConversionName);

class Utf8ToCp1252Test : public testing::TestWithParam<Conversion> {};

TEST_P(Utf8ToCp1252Test, GivesTheSingleByteText) {
    EXPECT_EQ(Utf8ToCp1252(GetParam().utf8), GetParam().cp1252);
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8ToCp1252Test,
                         testing::Values(Conversion{"Letters", "\xE4\xF6\xFC\xDF\x80", "äöüß€"},
                                         Conversion{"ArrowUnmappable", "a?z", "a\xE2\x86\x92z"},
                                         Conversion{"CjkUnmappable", "?", "\xE6\x97\xA5"},
                                         Conversion{"FourByteUnmappable", "x?",
                                                    "x\xF0\x9F\x98\x80"},
                                         Conversion{"StrayContinuationByte", "?z", "\x80z"},
                                         Conversion{"CutSequenceEachByte", "??Z", "\xE2\x86Z"},
                                         Conversion{"CutSequenceAtEnd", "a??", "a\xE2\x86"},
                                         Conversion{"Overlong", "??z", "\xC0\xAFz"},
                                         Conversion{"Surrogate", "???", "\xED\xA0\x80"},
                                         Conversion{"AboveUnicode", "????", "\xF4\x90\x80\x80"},
                                         Conversion{"C1ControlToUndefinedByte", "\x81", "\xC2\x81"},
                                         Conversion{"BrokenThenValid", "?\xFC", "\xFF\xC3\xBC"}),
                         ConversionName);

TEST(CodepageTest, LongTextsConvertWhole) {
    std::string cp1252;
    std::string utf8;
    for (int i = 0; i < 5000; ++i) {
        cp1252 += "\x80x\xFC";
        utf8 += "\xE2\x82\xACx\xC3\xBC";
    }
    EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
    EXPECT_EQ(Utf8ToCp1252(utf8 + "\xE2\x86\x92"), cp1252 + "?");
}

}  // namespace
}  // namespace quib
