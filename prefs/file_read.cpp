#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/file_io.h"
#include "prefs/file_access.h"

namespace quib {

FileContents ReadFileForEditing(const std::filesystem::path& file) {
    FileContents contents;
    contents.access = FileAccess::ReadWrite;
    UniqueFd fd(::open(file.c_str(), O_RDWR | kFileOpenFlags));
    if (!fd) {
        contents.access = FileAccess::ReadOnly;
        fd = UniqueFd(::open(file.c_str(), O_RDONLY | kFileOpenFlags));
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
    const UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | kFileOpenFlags, 0666));
    return fd && IsRegularFile(fd);
}

}  // namespace quib
