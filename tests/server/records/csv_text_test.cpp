#include "server/records/csv_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/case_name.h"

namespace quib::server {
namespace {

struct SetFieldCase {
    const char* name;
    const char* text;
    int line;
    int field;
    const char* value;
    const char* expected;
};

class SetCsvFieldTest : public ::testing::TestWithParam<SetFieldCase> {};

TEST_P(SetCsvFieldTest, ReplacesOneFieldOfOneLine) {
    const SetFieldCase& c = GetParam();
    EXPECT_EQ(SetCsvField(c.text, c.line, c.field, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetCsvFieldTest,
    ::testing::Values(
        SetFieldCase{"MiddleOfSecondLine", "1;2;3\n4;5\n", 2, 2, "9", "1;2;3\n4;9\n"},
        SetFieldCase{"LineBeyondTheText", "1;2;3\n4;5\n", 3, 2, "9", "1;2;3\n4;5\n"},
        SetFieldCase{"LastFieldOfFirstLine", "1;2;3\n4;5\n", 1, 3, "9", "1;2;9\n4;5\n"},
        SetFieldCase{"FirstField", "1;2;3\n4;5\n", 2, 1, "x", "1;2;3\nx;5\n"},
        SetFieldCase{"EmptyValue", "a;bb;c\n", 1, 2, "", "a;;c\n"},
        // A line with fewer fields receives the value just before its LF.
        SetFieldCase{"LineWithFewerFields", "1;2;3\n4;5\n", 2, 3, "9", "1;2;3\n4;59\n"},
        SetFieldCase{"FewerSeparatorsInTheWholeText", "1;2;3\n4;5\n", 1, 5, "9", "1;2;3\n4;5\n"},
        SetFieldCase{"LastLineWithoutLineEnd", "1;2\n3;4", 2, 2, "9", "1;2\n3;4"},
        SetFieldCase{"CarriageReturnBelongsToTheLastField", "a;b\r\n", 1, 2, "9", "a;9\n"},
        SetFieldCase{"EncodedCommentIntoLineFour", "T\nN;1\nS;x\nKommentar;\nE\n", 4, 2,
                     "a\\nb\\,c", "T\nN;1\nS;x\nKommentar;a\\nb\\,c\nE\n"}),
    quib::testing::CaseName{});

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<std::string> expected;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, AcceptsBothLineEnds) {
    const std::vector<std::string_view> lines = SplitLines(GetParam().text);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLinesTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"LineFeeds", "a\nb\n", {"a", "b"}},
                      SplitCase{"CarriageReturnLineFeeds", "a\r\nb\r\n", {"a", "b"}},
                      SplitCase{"NoFinalLineEnd", "a\nb", {"a", "b"}},
                      SplitCase{"EmptyLinesKept", "a\n\n\r\nb\n", {"a", "", "", "b"}},
                      SplitCase{"SpacesKept", " a \n", {" a "}}),
    quib::testing::CaseName{});

TEST(CsvFieldTest, FieldsByPosition) {
    EXPECT_EQ(CsvField("a;b;c", 1), "a");
    EXPECT_EQ(CsvField("a;b;c", 2), "b");
    EXPECT_EQ(CsvField("a;b;c", 3), "c");
    EXPECT_EQ(CsvField("a;b;c", 4), "");
    EXPECT_EQ(CsvField("a;;c", 2), "");
    EXPECT_EQ(CsvField("Spielername;Jo;hn", 2), "Jo");
}

TEST(TrimSpacesTest, OnlySpacesAtTheEnds) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace quib::server
