#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "common/file_io.h"
#include "prefs/file_access.h"

namespace quib {
namespace {

namespace fs = std::filesystem;

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

// Without a temporary file the old bytes are overwritten where they are. The
// space the longer text needs is reserved before the first byte changes, so a
// full disk leaves the old file as it was.
bool RewriteInPlace(const fs::path& target, std::string_view bytes) {
    const UniqueFd fd(::open(target.c_str(), O_RDWR | O_CREAT | kFileOpenFlags, 0666));
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
    switch (WriteFileAtomically(file, bytes, WriteMode::Replace)) {
        case WriteResult::Written:
            return true;
        case WriteResult::NoTemporaryFile: {
            // A settings file must still be saved where its folder takes no
            // new file; it is rewritten where it stands, link target included.
            std::error_code error;
            const fs::path target = fs::canonical(file, error);
            return RewriteInPlace(error ? file : target, bytes);
        }
        default:
            return false;
    }
}

}  // namespace quib
