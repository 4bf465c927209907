#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <random>
#include <system_error>

#include "prefs/file_access.h"
#include "prefs/unique_fd.h"

namespace quib {
namespace {

namespace fs = std::filesystem;

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool WriteAllAt(const UniqueFd& fd, std::string_view bytes) {
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t count = ::pwrite(fd.get(), bytes.data(), bytes.size(), offset);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
        offset += count;
    }
    return true;
}

// Settings files may be links into a shared folder; the rewrite belongs to
// the file the link points at, not in place of the link.
fs::path ResolveLinks(const fs::path& file) {
    std::error_code error;
    fs::path target = fs::canonical(file, error);
    return error ? file : target;
}

struct TempFile {
    UniqueFd fd;
    fs::path path;
};

// A fresh file beside `target`. Its name starts with a dot and ends in a
// random suffix, so that no listing by name pattern ever picks it up.
std::optional<TempFile> CreateTempBeside(const fs::path& target) {
    std::random_device seed;
    std::uniform_int_distribution<int> letter(0, 25);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + ".";
        for (int i = 0; i < 8; ++i) {
            name += static_cast<char>('a' + letter(seed));
        }
        fs::path path = target.parent_path() / name;
        // 0666 lets the umask decide the mode of a new settings file, as for
        // any file the program creates.
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, 0666));
        if (fd) {
            return TempFile{std::move(fd), std::move(path)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The new file takes over the old one's owner and permission bits; the owner
// only where the system allows it (ownership is set before the mode, since
// changing it clears the set-id bits).
void CopyOwnerAndMode(const fs::path& from, const UniqueFd& to) {
    struct stat status {};
    if (::stat(from.c_str(), &status) != 0) {
        return;
    }
    [[maybe_unused]] const int ignored = ::fchown(to.get(), status.st_uid, status.st_gid);
    ::fchmod(to.get(), status.st_mode & 07777);
}

// Makes the rename itself survive a crash. Failing here loses nothing that is
// not already on its way to the disk, so it is not reported.
void SyncDirectoryOf(const fs::path& file) {
    const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

bool ReplaceThroughTemp(TempFile temp, const fs::path& target, std::string_view bytes) {
    CopyOwnerAndMode(target, temp.fd);
    const bool written = WriteAllAt(temp.fd, bytes) && ::fsync(temp.fd.get()) == 0 &&
                         temp.fd.Close() && ::rename(temp.path.c_str(), target.c_str()) == 0;
    if (!written) {
        ::unlink(temp.path.c_str());
        return false;
    }
    SyncDirectoryOf(target);
    return true;
}

// Without a temporary file the old bytes are overwritten where they are. The
// space the longer text needs is reserved before the first byte changes, so a
// full disk leaves the old file as it was.
bool RewriteInPlace(const fs::path& target, std::string_view bytes) {
    const UniqueFd fd(::open(target.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > status.st_size && ::posix_fallocate(fd.get(), 0, size) != 0) {
        return false;
    }
    return WriteAllAt(fd, bytes) && ::ftruncate(fd.get(), size) == 0 && ::fsync(fd.get()) == 0;
}

}  // namespace

bool ReplaceFileContents(const fs::path& file, std::string_view bytes) {
    const fs::path target = ResolveLinks(file);
    std::optional<TempFile> temp = CreateTempBeside(target);
    if (!temp) {
        return RewriteInPlace(target, bytes);
    }
    return ReplaceThroughTemp(std::move(*temp), target, bytes);
}

}  // namespace quib
