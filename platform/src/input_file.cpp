#include "kelvane/platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv {

namespace {

const char* KindOf(mode_t mode) {
    if (S_ISREG(mode)) return "";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string NotAFileText(const std::string& path, const char* kind) {
    if (std::strcmp(kind, "not a regular file") == 0) return path + " is not a regular file";
    return path + " is " + kind + ", not a file";
}

}  // namespace

int OpenInputFile(const std::string& path, std::string* error) {
    // Without O_NONBLOCK the open of a FIFO waits for a writer.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        *error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    const char* kind = KindOf(info.st_mode);
    if (*kind != '\0') {
        *error = NotAFileText(path, kind);
        ::close(fd);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool CheckOutputFile(const std::string& path, std::string* error) {
    // A FIFO without a reader would make even a non-blocking open fail with
    // a text that names no cause, so what is there decides first.
    struct stat there {};
    if (::stat(path.c_str(), &there) != 0) return true;
    const char* kind = KindOf(there.st_mode);
    if (*kind != '\0') {
        *error = NotAFileText(path, kind);
        errno = S_ISDIR(there.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    // A file the user may not write stays as it is, although its folder
    // would let it be replaced.
    if (::access(path.c_str(), W_OK) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
}

std::FILE* OpenInputStream(const std::string& path, const char* mode, std::string* error) {
    const int fd = OpenInputFile(path, error);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        *error = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

}  // namespace kv
