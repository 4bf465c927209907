#pragma once

// The session file on the disk: its folder, a new file per run, whole lines
// appended to it, and the repair of the files earlier runs left with a last
// line cut short. The lines themselves are made in session_file.h; when and
// on which thread they are written, in session_writer.h.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/unique_fd.h"

namespace quib::server {

// Where whole lines go. One call appends one piece of text (one line, or
// the header's lines) as one unit: all of it, or nothing.
class SessionOutput {
  public:
    virtual ~SessionOutput() = default;
    virtual bool Append(std::string_view text) = 0;
};

// A file opened for appending: each piece is one write() followed by
// fdatasync, so a crash or power cut loses at most the piece being written,
// and that only as a line cut short. A piece the disk takes only in part
// (a full disk) is cut off again, so the file always ends with a whole line.
class SessionFileOutput final : public SessionOutput {
  public:
    explicit SessionFileOutput(UniqueFd fd) : fd_(std::move(fd)) {}
    bool Append(std::string_view text) override;

  private:
    UniqueFd fd_;
};

struct NewSessionFile {
    std::string name;  // "s000003.csv"
    UniqueFd fd;       // opened O_APPEND, the file empty
};

// Makes `sessionsDir` when it is missing (a link or anything but a folder of
// that name is refused, never followed) and creates the first session file
// number from 1 that it has no entry of (temporary files of a rewrite count
// as their target), exclusively and without following a link. Nothing when
// the folder cannot be made or listed, or every number is taken.
std::optional<NewSessionFile> CreateSessionFile(const std::filesystem::path& sessionsDir);

// Every session file in `sessionsDir` whose last line a crash cut short is
// rewritten without it (a temporary file renamed into place, never through
// a link); the names of those rewritten. The temporary file of a repair cut
// short is removed (the file itself is still whole but for its last line,
// and is repaired anew). A folder that is not there holds
// nothing to repair.
std::vector<std::string> RepairSessionFiles(const std::filesystem::path& sessionsDir);

}  // namespace quib::server
