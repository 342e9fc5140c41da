#include "kelvane/platform/replaced_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "kelvane/platform/input_file.h"

namespace kv {

namespace {

// The process id in a temporary file's "<pid>.<n>" ending; 0 for any other.
pid_t TempOwner(const std::string& ending) {
    const std::size_t dot = ending.find('.');
    if (dot == 0 || dot > 9 || dot == std::string::npos || dot + 1 == ending.size() ||
        ending.find_first_not_of("0123456789") != dot ||
        ending.find_first_not_of("0123456789", dot + 1) != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::stol(ending.substr(0, dot)));
}

}  // namespace

std::string ReplacedPath(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const auto target = std::filesystem::canonical(path, error);
        if (!error) return target.string();
    }
    return path;
}

void RemoveStaleTemps(const std::string& destination) {
    const std::filesystem::path target(destination);
    const std::string prefix = target.filename().string() + ".~";
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const pid_t pid = TempOwner(name.substr(prefix.size()));
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        ::unlink(it->path().c_str());
    }
}

int CreateTempBeside(const std::string& destination, std::string* tempPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp =
            destination + ".~" + std::to_string(::getpid()) + "." + std::to_string(++counter);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat existing {};
            if (::stat(destination.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
            *tempPath = temp;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool SyncFolder(const std::string& file, int& error) {
    std::string folder = std::filesystem::path(file).parent_path().string();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok) error = errno;
    ::close(fd);
    return ok;
}

std::FILE* ReplacingFile::Open(const std::string& path, std::string* error) {
    Abandon();
    if (!CheckOutputFile(path, error)) return nullptr;
    destination_ = ReplacedPath(path);
    RemoveStaleTemps(destination_);
    const int fd = CreateTempBeside(destination_, &temp_);
    if (fd < 0) {
        *error = std::strerror(errno);
        return nullptr;
    }
    file_ = ::fdopen(fd, "w");
    if (file_ == nullptr) {
        *error = std::strerror(errno);
        ::close(fd);
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    return file_;
}

bool ReplacingFile::Commit(std::string* error) {
    if (file_ == nullptr) {
        *error = std::strerror(EBADF);
        return false;
    }
    int code = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0 || ::fsync(::fileno(file_)) != 0)
        code = errno != 0 ? errno : EIO;
    if (std::fclose(std::exchange(file_, nullptr)) != 0 && code == 0) code = errno;
    if (code == 0 && std::rename(temp_.c_str(), destination_.c_str()) != 0) code = errno;
    if (code != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        *error = std::strerror(code);
        return false;
    }
    temp_.clear();
    // Until the folder is on disk the rename may be lost.
    if (!SyncFolder(destination_, code)) {
        *error = std::strerror(code);
        return false;
    }
    return true;
}

void ReplacingFile::Abandon() {
    if (file_ != nullptr) std::fclose(std::exchange(file_, nullptr));
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace kv
