#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "prefs/file_access.h"
#include "prefs/unique_fd.h"

namespace quib {
namespace {

// O_NONBLOCK keeps a FIFO of that name from hanging the program; it changes
// nothing for a regular file.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool IsRegularFile(const UniqueFd& fd) {
    struct stat status {};
    return fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode);
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

}  // namespace

FileContents ReadFileForEditing(const std::filesystem::path& file) {
    FileContents contents;
    contents.access = FileAccess::ReadWrite;
    UniqueFd fd(::open(file.c_str(), O_RDWR | kOpenFlags));
    if (!fd) {
        contents.access = FileAccess::ReadOnly;
        fd = UniqueFd(::open(file.c_str(), O_RDONLY | kOpenFlags));
    }
    if (!fd) {
        contents.access = errno == ENOENT ? FileAccess::Missing : FileAccess::Unreadable;
        return contents;
    }
    if (!IsRegularFile(fd) || !ReadAll(fd, contents.bytes)) {
        return FileContents{FileAccess::Unreadable, {}};
    }
    return contents;
}

bool PrepareFileForCreate(const std::filesystem::path& file) {
    const UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666));
    return fd && IsRegularFile(fd);
}

}  // namespace quib
