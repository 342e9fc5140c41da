#include "kelvane/app/project_file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "kelvane/platform/input_file.h"

namespace kv {

namespace {

int LockFd(int fd, int operation) {
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Whether the descriptor still names the file at the path: a save replaces
// the file, and the lock of the replaced one guards nothing.
bool StillThere(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Whether the file has one name only. A save replaces the file by a new one
// under the name it was run by, so another name of it keeps the old contents
// and its runs would issue the same serial numbers again.
bool OneName(int fd, const std::string& path, std::string& error) {
    struct stat held {};
    if (::fstat(fd, &held) != 0 || held.st_nlink <= 1) return true;
    error = "The project file " + path + " has " + std::to_string(held.st_nlink) +
            " names (hard links): a run by one name would not be seen by a run by another, "
            "and both would issue the same serial numbers. Copy the file so that it has "
            "one name, and run it by that name";
    return false;
}

}  // namespace

bool CProjectFileLock::Acquire(const std::string& path, const std::function<void()>& waiting) {
    Release();
    error_.clear();
    bool told = false;
    for (;;) {
        // Only a regular file is locked and read: the open of a FIFO would wait.
        std::string refused;
        const int fd = OpenInputFile(path, &refused);
        if (fd < 0 && (errno == EISDIR || errno == EINVAL)) {
            error_ = refused;
            return false;
        }
        if (fd < 0) return true;
        if (LockFd(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) {
                error_ = "Unable to lock " + path + ": " + std::strerror(errno);
                ::close(fd);
                return false;
            }
            if (!told && waiting) waiting();
            told = true;
            if (LockFd(fd, LOCK_EX) != 0) {
                error_ = "Unable to lock " + path + ": " + std::strerror(errno);
                ::close(fd);
                return false;
            }
        }
        if (StillThere(fd, path)) {
            if (!OneName(fd, path, error_)) {
                ::close(fd);
                return false;
            }
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
}

void CProjectFileLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

}  // namespace kv
