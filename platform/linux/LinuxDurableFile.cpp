#include "platform/DurableFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool Fail(std::string* error, int code) {
    if (error)
        *error = std::strerror(code);
    return false;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool WriteFileToDisk(const std::string& path, const std::string& bytes, bool privateFile,
                     std::string* error) {
    const mode_t mode = privateFile ? 0600 : 0666;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0)
        return Fail(error, errno);
    // A file left over from an earlier attempt keeps its old mode when opened: set it again.
    if (privateFile && ::fchmod(fd, 0600) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail(error, code);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : EIO;
            ::close(fd);
            return Fail(error, code);
        }
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail(error, code);
    }
    if (::close(fd) != 0)
        return Fail(error, errno);
    return true;
}

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string* error) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return Fail(error, errno);
    // The rename lasts once the folder holding the name is on the disk. A folder that cannot be opened or
    // flushed (some network file systems) leaves the rename done all the same.
    const int dir = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace platform
