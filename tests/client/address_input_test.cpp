#include "client/address_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "tests/support/case_name.h"

namespace quib::client {
namespace {

struct AddressCase {
    std::string name;
    std::string typed;
    std::optional<std::string> stored;  // nothing: the dialog asks again
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const AddressCase& row, std::ostream* out) {
    *out << row.name;
}

class AddressInputTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressInputTest, StoresTheNormalisedAddressOrRejects) {
    const AddressCase& row = GetParam();
    EXPECT_EQ(NormaliseServerAddress(row.typed), row.stored) << "typed: " << row.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressInputTest,
    ::testing::Values(AddressCase{"Plain", "192.168.1.20", "192.168.1.20"},
                      AddressCase{"DefaultSettingWithZeros", "127.000.000.001", "127.0.0.1"},
                      AddressCase{"LeadingZeroDropped", "010.0.0.1", "10.0.0.1"},
                      AddressCase{"EmptyLastFieldIsZero", "1.2.3.", "1.2.3.0"},
                      AddressCase{"AllFieldsEmpty", "...", "0.0.0.0"},
                      AddressCase{"BoundsAccepted", "0.255.0.255", "0.255.0.255"},
                      AddressCase{"TwoDots", "1.2.3", std::nullopt},
                      AddressCase{"FourDots", "1.2.3.4.5", std::nullopt},
                      AddressCase{"FourDotsEmptyTail", "1.2.3.4.", std::nullopt},
                      AddressCase{"Cancelled", "", std::nullopt},
                      AddressCase{"HostName", "localhost", std::nullopt},
                      AddressCase{"FirstAbove255", "256.1.1.1", std::nullopt},
                      AddressCase{"LastAbove255", "1.1.1.256", std::nullopt},
                      AddressCase{"Negative", "-1.0.0.0", std::nullopt},
                      AddressCase{"NegativeZero", "-0.0.0.0", "0.0.0.0"},
                      AddressCase{"PlusSign", "+7.0.0.1", "7.0.0.1"},
                      AddressCase{"BlanksAndTabsSkipped", " 1.\t2. 3 .4", "1.2.3.4"},
                      AddressCase{"TrailingTextIgnored", "1x.2.3.4abc", "1.2.3.4"},
                      AddressCase{"HugeNumberRejected", "99999999999999999999.0.0.1", std::nullopt},
                      AddressCase{"HexLower", "$ff.$0.$a.1", "255.0.10.1"},
                      AddressCase{"HexUpper", "$C0.$A8.0.1", "192.168.0.1"},
                      AddressCase{"HexAbove255", "$100.0.0.1", std::nullopt},
                      AddressCase{"HexStopsAtNonHex", "$1g.0.0.1", "1.0.0.1"},
                      AddressCase{"HexWithoutDigits", "$.1.1.1", "0.1.1.1"},
                      AddressCase{"NegativeHex", "-$1.0.0.0", std::nullopt},
                      AddressCase{"Binary", "%101.%11111111.%0.1", "5.255.0.1"},
                      AddressCase{"BinaryAbove255", "%100000000.0.0.1", std::nullopt},
                      AddressCase{"BinaryStopsAtTwo", "%1012.0.0.1", "5.0.0.1"},
                      AddressCase{"DecimalStopsAtHexLetter", "12ab.0.0.1", "12.0.0.1"}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
