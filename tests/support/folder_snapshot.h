#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace quib::testing {

// Everything below `folder`, by path relative to it: a file's bytes, a
// link's target ("-> target", not followed), "<folder>" for a folder. Two
// equal snapshots mean nothing below the folder changed (times aside).
inline std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> snapshot;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().lexically_relative(folder).generic_string();
        if (it->is_symlink()) {
            snapshot[name] = "-> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            snapshot[name] = "<folder>";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            snapshot[name] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return snapshot;
}

}  // namespace quib::testing
