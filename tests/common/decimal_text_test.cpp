#include "common/decimal_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/case_name.h"

namespace quib {
namespace {

struct DecimalCase {
    const char* name;
    const char* text;
    std::int32_t expected;
};

class ParseDecimalTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(ParseDecimalTest, ReadsTheLeadingNumber) {
    EXPECT_EQ(ParseDecimal(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseDecimalTest,
    ::testing::Values(
        DecimalCase{"Plain", "12", 12}, DecimalCase{"Empty", "", 0},
        DecimalCase{"NoNumber", "Rekord", 0}, DecimalCase{"LeadingSpacesAndTail", " 7x", 7},
        DecimalCase{"LeadingTab", "\t8", 8}, DecimalCase{"Negative", "-5", -5},
        DecimalCase{"TooLarge", "99999999999", std::numeric_limits<std::int32_t>::max()},
        DecimalCase{"TooSmall", "-99999999999", std::numeric_limits<std::int32_t>::min()}),
    quib::testing::CaseName{});

}  // namespace
}  // namespace quib
