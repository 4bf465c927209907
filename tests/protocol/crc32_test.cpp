#include "protocol/crc32.h"

#include <gtest/gtest.h>

#include <string_view>

namespace quib::protocol {
namespace {

std::uint32_t CrcOf(std::string_view text) {
    return Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(Crc32, StandardCheckValueOfTheNineDigits) {
    EXPECT_EQ(CrcOf("123456789"), 0xCBF43926u);
}

TEST(Crc32, OfNothingIsZero) {
    EXPECT_EQ(CrcOf(""), 0u);
}

TEST(Crc32, OfTheSmallestFrameHeaderAndMessage) {
    const std::uint8_t bytes[] = {0xFE, 0xFE, 0xFE, 0xFE, 0x0E, 0x00, 0x00, 0x00, 0x1E, 0x02};
    EXPECT_EQ(Crc32(bytes), 0x6DDEB42Bu);
}

}  // namespace
}  // namespace quib::protocol
