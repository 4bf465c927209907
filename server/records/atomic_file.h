#pragma once

#include <filesystem>
#include <string_view>

namespace quib::server {

enum class WriteMode {
    CreateNew,  // fail rather than replace a file that exists
    Replace,    // create, or replace an existing file as a whole
};

enum class WriteResult { Written, AlreadyExists, Failed };

// Writes `bytes` as the whole content of `file` so that any reader sees
// either the old state or the complete new file, never a part: the bytes go
// to a hidden temporary file in the same directory, which is then renamed
// into place. On failure the temporary file is removed and `file` is as it
// was. A replaced file keeps its permission bits; a link is followed and its
// target replaced.
WriteResult WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                WriteMode mode);

}  // namespace quib::server
