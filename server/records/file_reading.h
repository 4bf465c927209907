#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quib::server {

// The whole content of a regular file; nothing when it cannot be opened or
// read, or is not a regular file (a directory or a pipe of that name).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

}  // namespace quib::server
