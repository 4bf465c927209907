#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quib::server {

// The largest number a six-digit file name can hold. Numbers beyond it are
// never issued: cut to six digits they would name somebody else's file.
inline constexpr std::int32_t kLargestFileNumber = 999999;

// The number in decimal, zero-padded to six digits ("000042"). A number
// outside 0 .. 999999 keeps all its digits rather than being cut, so that it
// can never stand for another number.
std::string SixDigits(std::int32_t n);

// "<prefix><six digits>.csv", the name of numbered subject and game files.
std::string NumberedFileName(char prefix, std::int32_t n);

// The number a name of that form holds ("g000042.csv" with 'g' gives 42);
// nothing for any other name.
std::optional<std::int32_t> NumberInFileName(std::string_view name, char prefix);

inline bool IsNumberedFileName(std::string_view name, char prefix) {
    return NumberInFileName(name, prefix).has_value();
}

// The smallest N >= 0 for which `directory` holds no entry named
// "<prefix><six digits of N>.csv" (a file, a directory or a link of that name
// all count as taken), so that gaps left by deleted files are filled again.
// -1 when every number up to 999999 is taken.
std::int32_t NextFreeNumber(const std::filesystem::path& directory, char prefix);

}  // namespace quib::server
