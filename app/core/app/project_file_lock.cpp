#include "kelvane/app/project_file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "kelvane/app/lock_holder.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/clock.h"
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

std::string Seconds(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms / 1000.0);
    std::string seconds = text;
    if (seconds.ends_with(".0")) seconds.resize(seconds.size() - 2);
    return seconds + " s";
}

// Polls the lock on kv::clock() until it is taken, the limit passes or
// locking fails; notices name the holder at the start and at intervals.
class LockWait {
  public:
    LockWait(const std::string& path, std::uint32_t limitMs,
             const std::function<void(const std::string&)>& notice)
        : path_(path),
          limitMs_(limitMs),
          noticeEveryMs_(std::max<std::uint32_t>(
              1, std::min(CProjectFileLock::kNoticeEveryMs, limitMs / 10))),
          notice_(notice),
          start_(clock().tickCount()) {}

    // 0 when locked, else the errno of the failure (EWOULDBLOCK: the limit).
    int Lock(int fd) {
        constexpr std::uint32_t kPollMs = 50;
        for (;;) {
            if (LockFd(fd, LOCK_EX | LOCK_NB) == 0) return 0;
            if (errno != EWOULDBLOCK) return errno;
            const std::uint32_t waited = ticksSince(start_, clock().tickCount());
            holder_ = DescribeLockHolder(fd);
            if (waited >= limitMs_) return EWOULDBLOCK;
            if (!told_ || waited >= nextNoticeMs_) Tell(waited);
            clock().sleep(std::min(kPollMs, limitMs_ - waited));
            // The window keeps drawing and answering while a run waits.
            PumpWindowMessages(100);
        }
    }

    std::string GiveUpText() const {
        return "Gave up after waiting " + Seconds(limitMs_) + " for " + path_ +
               ": another run is using it (" + holder_ +
               "). Let that run end, or end it, and start this one again";
    }

  private:
    void Tell(std::uint32_t waited) {
        if (notice_) {
            const std::string who = " (" + holder_ + ")";
            notice_(told_ ? "Still waiting for " + path_ + " after " + Seconds(waited) +
                                ": another run is using it" + who + "; giving up after " +
                                Seconds(limitMs_)
                          : "Waiting for " + path_ + ": another run is using it" + who);
        }
        told_ = true;
        nextNoticeMs_ = (waited / noticeEveryMs_ + 1) * noticeEveryMs_;
    }

    const std::string& path_;
    const std::uint32_t limitMs_;
    const std::uint32_t noticeEveryMs_;
    const std::function<void(const std::string&)>& notice_;
    const std::uint32_t start_;
    std::uint32_t nextNoticeMs_ = 0;
    bool told_ = false;
    std::string holder_;
};

// Seconds written as decimal digits with an optional fraction ("300",
// "1.5"): no sign, no exponent, no hexadecimal, nothing around them.
std::optional<double> DecimalSeconds(const std::string& text) {
    std::size_t digits = 0;
    std::size_t points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && points == 0) {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace

std::uint32_t CProjectFileLock::WaitLimitFromEnvironment(
    const std::function<void(const std::string&)>& notice) {
    const char* setting = std::getenv("KELVANE_LOCK_WAIT");
    if (setting == nullptr || *setting == '\0') return kDefaultWaitLimitMs;
    constexpr double kMostSeconds = 24 * 3600;
    const std::optional<double> seconds = DecimalSeconds(setting);
    if (!seconds || *seconds > kMostSeconds) {
        // A mistyped setting is said at once, not found out at the limit.
        if (notice)
            notice(std::string("KELVANE_LOCK_WAIT: \"") + setting +
                   "\" is no number of seconds from 0 to 86400; waiting up to " +
                   std::to_string(kDefaultWaitLimitMs / 1000) + " s");
        return kDefaultWaitLimitMs;
    }
    return static_cast<std::uint32_t>(*seconds * 1000);
}

bool CProjectFileLock::Acquire(const std::string& path, std::uint32_t limitMs,
                               const std::function<void(const std::string&)>& notice) {
    Release();
    error_.clear();
    LockWait wait(path, limitMs, notice);
    for (;;) {
        // Only a regular file is locked and read: the open of a FIFO would wait.
        std::string refused;
        const int fd = OpenInputFile(path, &refused);
        if (fd < 0 && (errno == EISDIR || errno == EINVAL)) {
            error_ = refused;
            return false;
        }
        if (fd < 0) return true;
        const int failure = wait.Lock(fd);
        if (failure != 0) {
            error_ = failure == EWOULDBLOCK
                         ? wait.GiveUpText()
                         : "Unable to lock " + path + ": " + std::strerror(failure);
            ::close(fd);
            return false;
        }
        if (StillThere(fd, path)) {
            if (!OneName(fd, path, error_)) {
                ::close(fd);
                return false;
            }
            fd_ = fd;
            stamp_ = StampOfDescriptor(fd);
            return true;
        }
        ::close(fd);
    }
}

void CProjectFileLock::Release() {
    stamp_.reset();
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool CProjectFileLock::StillNames(const std::string& path) const {
    const std::optional<FileStamp> now = StampOfPath(path);
    return fd_ >= 0 && stamp_ && now && now->Unchanged(*stamp_);
}

}  // namespace kv
