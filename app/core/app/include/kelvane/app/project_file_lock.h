// An exclusive lock on a project file between runs (the console's, and the
// window's runs and saves): one run of a file at a time, from before the file
// is read until after the run's changes are saved, so two stations running
// one project never issue the same serial number.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "kelvane/platform/file_stamp.h"

namespace kv {

class CProjectFileLock {
  public:
    CProjectFileLock() = default;
    ~CProjectFileLock() { Release(); }
    CProjectFileLock(const CProjectFileLock&) = delete;
    CProjectFileLock& operator=(const CProjectFileLock&) = delete;

    // The longest wait for another run, unless the caller sets another: a
    // real run ends long before, a stopped one never does.
    static constexpr std::uint32_t kDefaultWaitLimitMs = 5 * 60 * 1000;
    // Notices stand this far apart, or a tenth of a shorter limit.
    static constexpr std::uint32_t kNoticeEveryMs = 30 * 1000;

    // The wait limit KELVANE_LOCK_WAIT sets, in decimal seconds (a fraction
    // allowed); unset, the default. Anything else is told to `notice` at once
    // and the default holds.
    static std::uint32_t WaitLimitFromEnvironment(
        const std::function<void(const std::string&)>& notice);

    // Locks the file, waiting while another run holds it, on kv::clock(), at
    // most `limitMs`; the window's messages are let through while it waits.
    // `notice` gets a line that names the holder when the
    // wait begins and again at intervals. A file that does not exist is not
    // locked (its open fails and says why); true when the lock is held or
    // there is no file, false with the system's text when locking failed,
    // with a text naming the holder when the limit passed, and with a text
    // that says so when the file has more than one name (hard links).
    bool Acquire(const std::string& path, std::uint32_t limitMs,
                 const std::function<void(const std::string&)>& notice);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }
    const std::string& GetError() const { return error_; }
    // The locked file as it was when the lock was taken.
    const std::optional<FileStamp>& GetStamp() const { return stamp_; }
    // Whether the path still names the locked file, unchanged since the lock
    // was taken: a file renamed over it (a save by another program, an
    // editor, sed -i) is not guarded by this lock.
    bool StillNames(const std::string& path) const;

  private:
    int fd_ = -1;
    std::optional<FileStamp> stamp_;
    std::string error_;
};

}  // namespace kv
