#include "server/records/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "prefs/unique_fd.h"

namespace quib::server {
namespace {

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

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    // O_NONBLOCK keeps a pipe of that name from hanging the program; it
    // changes nothing for a regular file.
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    std::string bytes;
    if (!fd || !IsRegularFile(fd) || !ReadAll(fd, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace quib::server
