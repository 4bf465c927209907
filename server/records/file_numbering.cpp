#include "server/records/file_numbering.h"

#include <sys/stat.h>

namespace quib::server {
namespace {

// lstat, not stat: a dangling link still occupies the name. When the system
// cannot tell at all (no right to look into the directory, say), the number
// is offered anyway: creating the file then fails with a message naming it,
// and creation never replaces an existing file.
bool IsFree(const std::filesystem::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) != 0;
}

}  // namespace

std::string SixDigits(std::int32_t n) {
    std::string digits = std::to_string(n < 0 ? -static_cast<std::int64_t>(n) : n);
    if (digits.size() < 6) {
        digits.insert(0, 6 - digits.size(), '0');
    }
    return n < 0 ? "-" + digits : digits;
}

std::string NumberedFileName(char prefix, std::int32_t n) {
    return std::string(1, prefix) + SixDigits(n) + ".csv";
}

std::optional<std::int32_t> NumberInFileName(std::string_view name, char prefix) {
    if (name.size() != 11 || name[0] != prefix || !name.ends_with(".csv")) {
        return std::nullopt;
    }
    std::int32_t number = 0;
    for (const char c : name.substr(1, 6)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

std::int32_t NextFreeNumber(const std::filesystem::path& directory, char prefix) {
    for (std::int32_t n = 0; n <= kLargestFileNumber; ++n) {
        if (IsFree(directory / NumberedFileName(prefix, n))) {
            return n;
        }
    }
    return -1;
}

}  // namespace quib::server
