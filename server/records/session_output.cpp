#include "server/records/session_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>

#include "common/file_io.h"
#include "server/records/file_numbering.h"
#include "server/records/session_file.h"

namespace quib::server {

namespace fs = std::filesystem;

namespace {

// A real folder of that name, made when missing; never a link to one, which
// would put the session files outside the lab folder.
bool SessionFolderReady(const fs::path& dir) {
    struct stat status {};
    if (::lstat(dir.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode);
    }
    return errno == ENOENT && ::mkdir(dir.c_str(), 0777) == 0;
}

// The session numbers the folder's entries hold, or nothing when it cannot
// be listed.
std::optional<std::set<std::int32_t>> TakenNumbers(const fs::path& dir) {
    std::set<std::int32_t> taken;
    std::error_code error;
    fs::directory_iterator it(dir, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::string target;
        if (IsTemporaryFileName(name, &target)) {
            name = std::move(target);
        }
        if (const std::optional<std::int32_t> number = NumberInFileName(name, kSessionFileLetter)) {
            taken.insert(*number);
        }
    }
    if (error) {
        return std::nullopt;
    }
    return taken;
}

// The new name's entry in the folder made durable too.
void SyncFolder(const fs::path& dir) {
    const UniqueFd folder(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) {
        ::fsync(folder.get());
    }
}

// Whether the file ends with a whole line, told from its last byte alone:
// every start looks at every session file the lab has, and only one a
// crash cut short is worth reading whole. A file that cannot be opened as
// a regular file, and an empty one, count as whole (nothing to repair).
bool EndsWithWholeLine(const fs::path& file) {
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | kFileOpenFlags));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0) {
        return true;
    }
    char last = 0;
    return ::pread(fd.get(), &last, 1, status.st_size - 1) != 1 || last == '\n';
}

}  // namespace

bool SessionFileOutput::Append(std::string_view text) {
    struct stat before {};
    if (::fstat(fd_.get(), &before) != 0) {
        return false;
    }
    const ssize_t written = ::write(fd_.get(), text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size()) && ::fdatasync(fd_.get()) == 0) {
        return true;
    }
    // Part of it, or all of it without the sync's word that it is on the
    // disk: taken back, so that the retry writes it whole, and only once.
    if (written > 0 && ::ftruncate(fd_.get(), before.st_size) == 0) {
        ::fdatasync(fd_.get());
    }
    return false;
}

std::optional<NewSessionFile> CreateSessionFile(const fs::path& sessionsDir) {
    if (!SessionFolderReady(sessionsDir)) {
        return std::nullopt;
    }
    std::optional<std::set<std::int32_t>> taken = TakenNumbers(sessionsDir);
    if (!taken) {
        return std::nullopt;
    }
    for (std::int32_t number = 1; number <= kLargestFileNumber; ++number) {
        if (taken->count(number) != 0) {
            continue;
        }
        std::string name = NumberedFileName(kSessionFileLetter, number);
        UniqueFd fd(::open((sessionsDir / name).c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd) {
            SyncFolder(sessionsDir);
            return NewSessionFile{std::move(name), std::move(fd)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
        // Taken since the listing (another server in the same folder).
    }
    return std::nullopt;
}

std::vector<std::string> RepairSessionFiles(const fs::path& sessionsDir) {
    std::vector<std::string> repaired;
    std::error_code error;
    fs::directory_iterator it(sessionsDir, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::string target;
        if (IsTemporaryFileName(name, &target) && IsNumberedFileName(target, kSessionFileLetter)) {
            // A repair cut short before its rename: the file itself is as
            // it was, and is repaired again below.
            ::unlink(it->path().c_str());
            continue;
        }
        if (!IsNumberedFileName(name, kSessionFileLetter) || EndsWithWholeLine(it->path())) {
            continue;
        }
        const std::optional<std::string> text = ReadWholeFile(it->path(), LinkRule::Refuse);
        if (!text) {
            continue;
        }
        const std::string_view whole = WholeLinesOf(*text);
        if (whole.size() == text->size()) {
            continue;
        }
        const std::optional<PreparedFile> prepared =
            PrepareReplacement(it->path(), whole, LinkRule::Refuse);
        if (prepared && CommitReplacement(*prepared)) {
            repaired.push_back(name);
        }
    }
    return repaired;
}

}  // namespace quib::server
