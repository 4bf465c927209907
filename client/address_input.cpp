#include "client/address_input.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quib::client {
namespace {

constexpr std::size_t kFieldCount = 4;
constexpr std::int64_t kLargestField = 255;
// Reading stops growing a number past this, so that long digit runs cannot
// overflow; any such number is out of range anyway.
constexpr std::int64_t kReadCap = 1'000'000;

// The value of digit `c` in `base`, or -1 when it is not one.
int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// One "."-separated field read as an integer; text after the number is
// ignored, and a field without digits is 0.
std::int64_t ReadField(std::string_view field) {
    std::size_t at = 0;
    while (at < field.size() && (field[at] == ' ' || field[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        negative = field[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < field.size() && field[at] == '$') {
        base = 16;
        ++at;
    } else if (at < field.size() && field[at] == '%') {
        base = 2;
        ++at;
    }
    std::int64_t value = 0;
    for (; at < field.size(); ++at) {
        const int digit = DigitValue(field[at], base);
        if (digit < 0) {
            break;
        }
        if (value < kReadCap) {
            value = value * base + digit;
        }
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<std::string> NormaliseServerAddress(std::string_view typed) {
    std::array<std::int64_t, kFieldCount> numbers{};
    std::size_t field = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = typed.find('.', start);
        if (field == kFieldCount) {
            return std::nullopt;  // a fourth "." or more
        }
        const std::string_view text = typed.substr(
            start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        numbers[field] = ReadField(text);
        if (numbers[field] < 0 || numbers[field] > kLargestField) {
            return std::nullopt;
        }
        ++field;
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    if (field != kFieldCount) {
        return std::nullopt;  // fewer than three "."
    }
    std::string normalised;
    for (std::size_t n = 0; n < kFieldCount; ++n) {
        if (n > 0) {
            normalised += '.';
        }
        normalised += std::to_string(numbers[n]);
    }
    return normalised;
}

}  // namespace quib::client
