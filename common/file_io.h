#pragma once

#include <fcntl.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/unique_fd.h"

namespace quib {

// Whole-file reading and writing for the settings, language and record files.
// Both programs rewrite files that an experiment cannot afford to lose, so a
// write never leaves a half-written or empty file behind.

// Open flags for reading a file by name: O_NONBLOCK keeps a pipe of that
// name from hanging the program; it changes nothing for a regular file.
inline constexpr int kFileOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool IsRegularFile(const UniqueFd& fd);

// Reads everything from `fd` to its end, appending to `bytes`.
bool ReadAll(const UniqueFd& fd, std::string& bytes);

// What a read or a replacing write does with a symbolic link of the file's
// name.
enum class LinkRule {
    // The link is followed: settings and language files may be links into a
    // shared folder, and their rewrite belongs to the file linked to.
    Follow,
    // Only a regular file of that very name counts; a link (also a dangling
    // one) is refused like any other thing that is not a file. The record
    // files take this rule: nothing of theirs may land outside their folder.
    Refuse,
};

// The whole content of a regular file; nothing when it cannot be opened or
// read, or is not a regular file (a directory or a pipe of that name, or a
// link under LinkRule::Refuse).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         LinkRule links = LinkRule::Follow);

enum class WriteMode {
    CreateNew,  // fail rather than replace a file that exists
    Replace,    // create, or replace an existing file as a whole
};

enum class WriteResult {
    Written,
    AlreadyExists,    // CreateNew found the name taken; nothing written
    NoTemporaryFile,  // the folder takes no new file; nothing written
    Failed,           // nothing changed
};

// Writes `bytes` as the whole content of `file` so that any reader sees
// either the old state or the complete new file, never a part: the bytes go
// to a hidden temporary file in the same folder (a leading dot and a random
// tail keep it out of every listing by name pattern), which is flushed and
// then renamed into place. On failure the temporary file is removed and
// `file` is as it was. A replaced file keeps its owner (where allowed) and
// permission bits; a link is followed and its target replaced.
WriteResult WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                WriteMode mode);

// The two halves of a replacing write, for several files that must change
// together (a round's record files): each new content is first put into its
// hidden temporary file beside the target, flushed to the disk; only when all
// are there are they renamed into place.
struct PreparedFile {
    std::filesystem::path temp;    // the hidden temporary file holding the new content
    std::filesystem::path target;  // the file it replaces (a link's target)
};

// Writes `bytes` into a flushed temporary file beside `file` (owner and
// permission bits taken over from the file it will replace). A link of that
// name is followed, or refused under LinkRule::Refuse; then the temporary
// file lies beside the link and the rename replaces the name itself, never
// what a link points at (rename does not follow a link at its target).
// Nothing when that cannot be done, or when something other than a file has
// the target's name; then no temporary file is left.
std::optional<PreparedFile> PrepareReplacement(const std::filesystem::path& file,
                                               std::string_view bytes,
                                               LinkRule links = LinkRule::Follow);

// Renames a prepared file into place and makes the rename itself durable.
bool CommitReplacement(const PreparedFile& prepared);

// Whether anything at all has the name `path`, a dangling link included (a
// name that cannot be looked up counts as taken): a file is never made
// where a link or anything unreadable stands.
bool NameTaken(const std::filesystem::path& path);

// Whether `name` is a temporary file name WriteFileAtomically and
// PrepareReplacement give: "." + the target's name + "." + 8 lowercase
// letters. Its target's name then goes to `targetName` when given.
bool IsTemporaryFileName(std::string_view name, std::string* targetName = nullptr);

}  // namespace quib
