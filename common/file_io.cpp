#include "common/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string>
#include <system_error>

namespace quib {
namespace {

namespace fs = std::filesystem;

struct TempFile {
    UniqueFd fd;
    fs::path path;
};

constexpr int kTempTailLetters = 8;

// A new file beside `target`. The leading dot and the random tail keep it out
// of every listing by name pattern ("p??????.csv") while it exists.
std::optional<TempFile> CreateTempBeside(const fs::path& target) {
    std::random_device seed;
    std::uniform_int_distribution<int> letter(0, 25);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + ".";
        for (int i = 0; i < kTempTailLetters; ++i) {
            name += static_cast<char>('a' + letter(seed));
        }
        fs::path path = target.parent_path() / name;
        // 0666: the umask decides, as for any file the program creates.
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd) {
            return TempFile{std::move(fd), std::move(path)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool WriteAll(const UniqueFd& fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd.get(), bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// The new file takes over the old one's owner and permission bits; the owner
// only where the system allows it (ownership is set before the mode, since
// changing it clears the set-id bits).
void KeepOwnerAndModeOf(const fs::path& target, const UniqueFd& fd) {
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        [[maybe_unused]] const int ignored = ::fchown(fd.get(), status.st_uid, status.st_gid);
        ::fchmod(fd.get(), status.st_mode & 07777);
    }
}

// Moves the finished temporary file to `target` unless a file of that name
// exists. renameat2 does it in one step; file systems without it get a hard
// link, which fails just the same on an existing name.
WriteResult MoveIntoPlaceIfFree(const fs::path& temp, const fs::path& target) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return WriteResult::Written;
    }
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
        if (::link(temp.c_str(), target.c_str()) == 0) {
            ::unlink(temp.c_str());
            return WriteResult::Written;
        }
    }
    return errno == EEXIST ? WriteResult::AlreadyExists : WriteResult::Failed;
}

WriteResult MoveIntoPlace(const fs::path& temp, const fs::path& target, WriteMode mode) {
    if (mode == WriteMode::CreateNew) {
        return MoveIntoPlaceIfFree(temp, target);
    }
    return ::rename(temp.c_str(), target.c_str()) == 0 ? WriteResult::Written : WriteResult::Failed;
}

// Makes the new name itself survive a crash. A failure here loses nothing
// that is not already on its way to the disk, so it is not reported.
void SyncDirectoryOf(const fs::path& file) {
    const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

// Settings and language files may be links into a shared folder; the rewrite
// belongs to the file the link points at, not in place of the link.
fs::path ResolveLinks(const fs::path& file) {
    std::error_code error;
    fs::path target = fs::canonical(file, error);
    return error ? file : target;
}

}  // namespace

bool IsRegularFile(const UniqueFd& fd) {
    struct stat status {};
    return ::fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode);
}

bool ReadAll(const UniqueFd& fd, std::string& bytes) {
    char buffer[16384];
    while (true) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count == 0) {
            return true;
        }
        if (count < 0 && errno != EINTR) {
            return false;
        }
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
    }
}

std::optional<std::string> ReadWholeFile(const fs::path& file, LinkRule links) {
    const int noFollow = links == LinkRule::Refuse ? O_NOFOLLOW : 0;
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | kFileOpenFlags | noFollow));
    std::string bytes;
    if (!fd || !IsRegularFile(fd) || !ReadAll(fd, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

WriteResult WriteFileAtomically(const fs::path& file, std::string_view bytes, WriteMode mode) {
    const fs::path target = mode == WriteMode::Replace ? ResolveLinks(file) : file;
    std::optional<TempFile> temp = CreateTempBeside(target);
    if (!temp) {
        return WriteResult::NoTemporaryFile;
    }
    if (mode == WriteMode::Replace) {
        KeepOwnerAndModeOf(target, temp->fd);
    }
    WriteResult result = WriteResult::Failed;
    if (WriteAll(temp->fd, bytes) && ::fsync(temp->fd.get()) == 0 && temp->fd.Close()) {
        result = MoveIntoPlace(temp->path, target, mode);
    }
    if (result != WriteResult::Written) {
        ::unlink(temp->path.c_str());
        return result;
    }
    SyncDirectoryOf(target);
    return result;
}

std::optional<PreparedFile> PrepareReplacement(const fs::path& file, std::string_view bytes,
                                               LinkRule links) {
    fs::path target = links == LinkRule::Follow ? ResolveLinks(file) : file;
    // Only a file can be replaced; finding out at the rename would be too
    // late for files that must change together. Under Refuse a link is no
    // file (lstat); when followed, a dangling link is replaced as before.
    struct stat status {};
    const int found = links == LinkRule::Refuse ? ::lstat(target.c_str(), &status)
                                                : ::stat(target.c_str(), &status);
    if (found == 0 && !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    std::optional<TempFile> temp = CreateTempBeside(target);
    if (!temp) {
        return std::nullopt;
    }
    KeepOwnerAndModeOf(target, temp->fd);
    if (!WriteAll(temp->fd, bytes) || ::fsync(temp->fd.get()) != 0 || !temp->fd.Close()) {
        ::unlink(temp->path.c_str());
        return std::nullopt;
    }
    // The temporary file's name must be on the disk before anything that
    // names it (a journal) is.
    SyncDirectoryOf(temp->path);
    return PreparedFile{std::move(temp->path), std::move(target)};
}

bool CommitReplacement(const PreparedFile& prepared) {
    if (::rename(prepared.temp.c_str(), prepared.target.c_str()) != 0) {
        return false;
    }
    SyncDirectoryOf(prepared.target);
    return true;
}

bool NameTaken(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

bool IsTemporaryFileName(std::string_view name, std::string* targetName) {
    const std::size_t tail = kTempTailLetters + 1;  // "." and the letters
    if (name.size() < 1 + 1 + tail || name[0] != '.' || name[name.size() - tail] != '.') {
        return false;
    }
    for (const char c : name.substr(name.size() - kTempTailLetters)) {
        if (c < 'a' || c > 'z') {
            return false;
        }
    }
    if (targetName != nullptr) {
        *targetName = std::string(name.substr(1, name.size() - 1 - tail));
    }
    return true;
}

}  // namespace quib
