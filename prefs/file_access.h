#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quib {

// How a preferences file could be opened. Only a file that does not exist may
// be created anew; one that exists but cannot be read is never replaced,
// since its contents would be lost.
enum class FileAccess { Missing, Unreadable, ReadOnly, ReadWrite };

struct FileContents {
    FileAccess access = FileAccess::Missing;
    std::string bytes;
};

// Reads the whole file, opening it for reading and writing when allowed.
FileContents ReadFileForEditing(const std::filesystem::path& file);

// Makes sure `file` can be written as a fresh file: creates it empty when it
// does not exist. An existing file keeps its contents until
// ReplaceFileContents replaces them as a whole.
bool PrepareFileForCreate(const std::filesystem::path& file);

// Replaces the file's contents (or creates it) so that it holds either the
// old or the new bytes, never a mix: the bytes go to a temporary file beside
// it that is renamed over it, keeping its mode and owner. Where the directory
// allows no new file, the file is rewritten in place, with the space it needs
// reserved first. A symbolic link stays a link; its target is replaced.
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes);

}  // namespace quib
